#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli flag add PATH FLAG NAME... | flag strip PATH NAME...: the name-flag commands.
class FlagCommand : public Command {
public:
    QString name() const override { return QStringLiteral("flag"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    QStringList pathArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
