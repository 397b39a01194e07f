#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli get PATH NAME [--as text|plist|hex]: the text the attribute editor shows for a value,
// in its detected format or the one given.
class GetCommand : public Command {
public:
    QString name() const override { return QStringLiteral("get"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }
};

} // namespace palvorn
