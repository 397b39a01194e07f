#pragma once

#include "cli/Command.h"
#include "cli/InterruptStop.h"
#include "core/model/FolderWalk.h"

namespace palvorn {

// palvorn-cli crawl DIR [--type T [--show-size]] [--totals] [-x] [-q] [--threads N]: the
// crawler's report.
class CrawlCommand : public Command {
public:
    QString name() const override { return QStringLiteral("crawl"); }
    QString description() const override;

    // --one-file-system, --quiet and --threads, shared with strip; Ctrl-C stops the walk.
    static void addWalkOptions(QCommandLineParser& parser);
    static QString checkWalkOptions(const QCommandLineParser& parser);
    static FolderWalk::Options walkOptions(const QCommandLineParser& parser, WalkProgress& progress,
                                           const InterruptStop& interrupt);
    static bool showsProgress(const QCommandLineParser& parser);

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
