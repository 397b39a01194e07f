#include "cli/CrawlCommand.h"

#include "cli/StderrErrorAlert.h"
#include "crawler/CrawlReport.h"
#include "model/FolderText.h"

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
    parser.addOption(
        {typeOption, QStringLiteral("Lists the items carrying attribute T."), QStringLiteral("T")});
    parser.addOption(
        {showSizeOption, QStringLiteral("With --type, lists sizes instead of values.")});
    parser.addOption({totalsOption, QStringLiteral("Totals and averages the attribute sizes.")});
}

QString CrawlCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().size() != 1)
        return QStringLiteral("expects exactly one DIR");
    if (parser.isSet(showSizeOption) && !parser.isSet(typeOption))
        return QStringLiteral("--show-size goes with --type");
    return {};
}

int CrawlCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    StderrErrorAlert alert(err);
    const FolderText::Result folderText =
        FolderText::folderPath(parser.positionalArguments().constFirst(), QDir::homePath());
    if (!folderText.path) {
        alert.showErrorAlert(folderText.error);
        return Failure;
    }
    const QString& folder = *folderText.path;
    const FolderWalk::ErrorSink onError = [&alert](const QString& text) {
        alert.showErrorAlert(text);
    };
    QString error;
    std::optional<QString> report;
    // As in the window: totals win over a type, and an empty type tallies all of them.
    const QString type = parser.value(typeOption);
    if (parser.isSet(totalsOption)) {
        if (const auto totals = Crawler::crawlSizes(folder, onError, nullptr, &error))
            report = CrawlReport::reportSizeTotals(*totals);
    } else if (type.isEmpty()) {
        if (const auto tally = Crawler::crawlAllTypes(folder, onError, nullptr, &error))
            report = CrawlReport::reportTypeTally(*tally);
    } else if (const auto matches = Crawler::crawlOneType(
                   folder, type, parser.isSet(showSizeOption), onError, nullptr, &error)) {
        report = CrawlReport::reportTypeMatches(*matches);
    }
    if (!report) {
        alert.showErrorAlert(error);
        return Failure;
    }
    writeReport(out, *report);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
