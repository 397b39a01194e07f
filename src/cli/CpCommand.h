#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli cp SRC DST [NAME...]: copies attributes as copy and paste do, all of them by default.
class CpCommand : public Command {
public:
    QString name() const override { return QStringLiteral("cp"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    QStringList pathArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }
};

} // namespace palvorn
