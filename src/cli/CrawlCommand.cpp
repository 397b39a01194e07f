#include "cli/CrawlCommand.h"

#include "cli/InterruptStop.h"
#include "cli/ProgressLine.h"
#include "cli/RawOutput.h"
#include "cli/StderrErrorAlert.h"
#include "cli/WalkArguments.h"
#include "core/crawler/CrawlJob.h"
#include "core/model/ByteText.h"

namespace palvorn {

namespace {

const QString typeOption = QStringLiteral("type");
const QString showSizeOption = QStringLiteral("show-size");
const QString totalsOption = QStringLiteral("totals");

} // namespace

QString CrawlCommand::description() const {
    return QStringLiteral(
        "Tallies the attributes below DIR, lists one type, or totals their sizes.");
}

void CrawlCommand::addArguments(QCommandLineParser& parser) const {
    WalkArguments::addFolder(parser);
    parser.addOption({typeOption, nameHelp(QStringLiteral("Lists the items carrying attribute T.")),
                      QStringLiteral("T")});
    parser.addOption(
        {showSizeOption, QStringLiteral("With --type, lists sizes instead of values.")});
    parser.addOption({totalsOption, QStringLiteral("Totals and averages the attribute sizes.")});
    addMatchOption(parser);
    addJsonOption(parser);
    WalkArguments::add(parser);
}

QString CrawlCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().size() != 1)
        return QStringLiteral("expects exactly one DIR");
    if (parser.isSet(showSizeOption) && !parser.isSet(typeOption))
        return QStringLiteral("--show-size goes with --type");
    if (const QString problem = checkNames({parser.value(typeOption)}); !problem.isEmpty())
        return problem;
    if (const QString problem = checkMatch(parser); !problem.isEmpty())
        return problem;
    return WalkArguments::check(parser);
}

int CrawlCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const std::optional<QString> folder =
        WalkArguments::folder(parser.positionalArguments().constFirst(), err);
    if (!folder)
        return Failure;
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = WalkArguments::options(parser, progress, interrupt);
    CrawlJob::Request request;
    request.folderPath = *folder;
    request.type = ByteText::decode(nameOf(parser.value(typeOption)));
    request.showSizes = parser.isSet(showSizeOption);
    request.totals = parser.isSet(totalsOption);
    request.filter = nameFilterOf(parser);
    const bool json = wantsJson(parser);
    // JSON goes out as its bytes; a one-type walk's matches as they are found.
    std::optional<RawOutput> output;
    if (json)
        output.emplace(out);
    CrawlJob::Outcome outcome;
    {
        ProgressLine line(err, progress, WalkArguments::showsProgress(parser));
        // Errors past the kept ones are not printed, but still fail the command.
        const WalkErrors::LineSink onError = [&line](const QString& text) { line.printLine(text); };
        outcome = json
                      ? CrawlJob::json(request, options, onError,
                                       [&output](const QByteArray& bytes) { output->write(bytes); })
                      : CrawlJob::report(request, options, onError);
    }
    if (!outcome.report) {
        StderrErrorAlert::writeLine(err, outcome.report.error().lineText());
        return Failure;
    }
    if (!json) {
        writeReport(out, *outcome.report);
    } else {
        output->write(outcome.json + '\n');
        if (!output->finish(err))
            return Failure;
    }
    // A walk stopped by Ctrl-C prints what it found so far, but did not succeed.
    return outcome.complete ? Success : Failure;
}

} // namespace palvorn
