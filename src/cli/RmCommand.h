#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli rm PATH NAME...: removes attributes, going on past any that fails.
class RmCommand : public Command {
public:
    QString name() const override { return QStringLiteral("rm"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }
};

} // namespace palvorn
