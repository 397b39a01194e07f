#include "cli/CrawlCommand.h"

#include "cli/InterruptStop.h"
#include "cli/ProgressLine.h"
#include "cli/RawOutput.h"
#include "cli/StderrErrorAlert.h"
#include "cli/WalkArguments.h"
#include "core/crawler/CrawlReport.h"
#include "core/model/ByteText.h"
#include "core/model/FolderText.h"

#include <QDir>

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
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The folder (\"~\" is home)."));
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
    const FolderText::Result folderText =
        FolderText::folderPath(parser.positionalArguments().constFirst(), QDir::homePath());
    if (!folderText.path) {
        StderrErrorAlert::writeLine(err, folderText.error);
        return Failure;
    }
    const QString& folder = *folderText.path;
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = WalkArguments::options(parser, progress, interrupt);
    const bool json = wantsJson(parser);
    // JSON goes out as its bytes; a one-type walk's matches as they are found.
    std::optional<RawOutput> output;
    if (json)
        output.emplace(out);
    CrawlChoice choice;
    choice.filter = nameFilterOf(parser);
    bool streaming = false;
    if (json) {
        choice.makeRecord = CrawlReport::matchJson;
        choice.onRecord = [&output, &streaming](const QByteArray& record) {
            if (streaming)
                output->write(",\n");
            else
                output->write(CrawlReport::matchesJsonStart());
            streaming = true;
            output->write(record);
        };
    }
    std::optional<QString> report;
    QByteArray jsonReport;
    QString error;
    bool failed = false;
    {
        ProgressLine line(err, progress, WalkArguments::showsProgress(parser));
        const WalkErrors::LineSink onError = [&line, &failed](const QString& text) {
            failed = true;
            line.printLine(text);
        };
        // As in the window: totals win over a type, and an empty type tallies all of them. Errors
        // past the kept ones are not printed either, but still fail the command.
        const QString type = ByteText::decode(nameOf(parser.value(typeOption)));
        const auto finish = [&](const auto& result, auto makeReport, auto makeJson) {
            if (!result)
                return;
            // A walk stopped by Ctrl-C prints what it found so far, but did not succeed.
            failed = failed || !result->counts.errors.isEmpty() || result->counts.stopped;
            if (json)
                jsonReport = makeJson(*result);
            report = json ? QString() : makeReport(*result);
        };
        if (parser.isSet(totalsOption))
            finish(Crawler::crawlSizes(folder, options, onError, &error, choice),
                   CrawlReport::reportSizeTotals, CrawlReport::sizeTotalsJson);
        else if (type.isEmpty())
            finish(Crawler::crawlAllTypes(folder, options, onError, &error, choice),
                   CrawlReport::reportTypeTally, CrawlReport::typeTallyJson);
        else
            finish(Crawler::crawlOneType(folder, type, parser.isSet(showSizeOption), options,
                                         onError, &error, choice),
                   CrawlReport::reportTypeMatches, [&streaming](const TypeMatchList& matches) {
                       return (streaming ? QByteArray() : CrawlReport::matchesJsonStart()) +
                              CrawlReport::matchesJsonEnd(matches);
                   });
    }
    if (!report) {
        StderrErrorAlert::writeLine(err, error);
        return Failure;
    }
    if (!json) {
        writeReport(out, *report);
    } else {
        output->write(jsonReport + '\n');
        if (!output->finish(err))
            return Failure;
    }
    return failed ? Failure : Success;
}

} // namespace palvorn
