#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli strip DIR TYPE: removes TYPE below DIR and prints the stripper's report.
class StripCommand : public Command {
public:
    QString name() const override { return QStringLiteral("strip"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
