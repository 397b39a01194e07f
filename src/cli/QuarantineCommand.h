#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli quarantine PATH: stamps the quarantine attribute and its event row.
class QuarantineCommand : public Command {
public:
    QString name() const override { return QStringLiteral("quarantine"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
