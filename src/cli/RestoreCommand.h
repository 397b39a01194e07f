#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli restore FILE|-: applies a dump (from dump or getfattr --dump) as setfattr --restore
// does, reporting every line it could not apply instead of stopping at the first.
class RestoreCommand : public Command {
public:
    QString name() const override { return QStringLiteral("restore"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
