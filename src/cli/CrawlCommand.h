#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli crawl DIR [--type T [--show-size]] [--totals] [-x] [-q] [--threads N]: the
// crawler's report.
class CrawlCommand : public Command {
public:
    QString name() const override { return QStringLiteral("crawl"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
