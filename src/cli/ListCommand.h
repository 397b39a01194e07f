#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli list PATH: one line per attribute, its name, a tab and its size text.
class ListCommand : public Command {
public:
    QString name() const override { return QStringLiteral("list"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }
};

} // namespace palvorn
