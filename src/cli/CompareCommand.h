#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli compare A B: the compare window's report.
class CompareCommand : public Command {
public:
    QString name() const override { return QStringLiteral("compare"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    QStringList pathArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    int outputFailureStatus() const override { return Trouble; }
};

} // namespace palvorn
