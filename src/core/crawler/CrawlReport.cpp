#include "core/crawler/CrawlReport.h"

#include "core/model/AttributeName.h"
#include "core/model/AttributeStructure.h"
#include "core/model/ByteText.h"
#include "core/model/DisplayText.h"
#include "core/model/HexCodec.h"
#include "core/model/JsonText.h"
#include "core/model/TextDecoding.h"
#include "core/model/XattrAccess.h"

#include <algorithm>

#include <QJsonArray>
#include <QJsonObject>

namespace palvorn {

namespace {

QString head(const CrawlCounts& counts) {
    return QStringLiteral("Found %1 files with xattrs out of %2 scanned in %3")
        .arg(counts.filesWithXattrs)
        .arg(counts.filesScanned)
        .arg(displayName(nativePath(counts.folderPath)));
}

// Code point by code point after canonical normalisation; UTF-16 order would put characters
// beyond U+FFFF before U+E000..U+FFFF.
bool codePointLess(const QString& a, const QString& b) {
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

// What follows every report: whether the walk was stopped, and the errors it met. A walk that
// ran to its end without errors adds nothing.
QString ending(const CrawlCounts& counts) {
    QString text;
    if (counts.stopped)
        text += QStringLiteral("\nStopped before the end of the walk.\n");
    return text + counts.errors.reportText(QStringLiteral("read"));
}

// Averages are whole-number divisions; over a count of 0 there is nothing to divide, so 0.
qint64 average(qint64 total, qint64 count) {
    return count > 0 ? total / count : 0;
}

// Names are shown as text and sorted by it; the bytes break ties between look-alikes.
QList<std::pair<QString, QByteArray>> sortedNames(const TypeTally& tally) {
    QList<std::pair<QString, QByteArray>> names;
    names.reserve(tally.types.size());
    for (auto type = tally.types.cbegin(); type != tally.types.cend(); ++type)
        names.append({displayName(type.key()), type.key()});
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
        if (codePointLess(a.first, b.first))
            return true;
        return !codePointLess(b.first, a.first) && a.second < b.second;
    });
    return names;
}

// The members every crawl's JSON has.
QJsonObject jsonOf(const CrawlCounts& counts, const QString& mode) {
    QJsonObject report;
    JsonText::insertBytes(report, QStringLiteral("folder"), nativePath(counts.folderPath));
    report.insert(QStringLiteral("mode"), mode);
    report.insert(QStringLiteral("items_scanned"), counts.filesScanned);
    report.insert(QStringLiteral("items_with_xattrs"), counts.filesWithXattrs);
    report.insert(QStringLiteral("total_xattrs"), counts.totalXattrs);
    report.insert(QStringLiteral("stopped"), counts.stopped);
    report.insert(QStringLiteral("errors"), QJsonArray::fromStringList(counts.errors.lines()));
    report.insert(QStringLiteral("errors_left_out"),
                  counts.errors.count() - counts.errors.lines().size());
    return report;
}

} // namespace

QString CrawlReport::reportTypeTally(const TypeTally& tally) {
    const QList<std::pair<QString, QByteArray>> names = sortedNames(tally);
    QString text =
        head(tally.counts) + QStringLiteral(" %1 total xattrs.\nThere are %2 Xattr types\n\n")
                                 .arg(tally.counts.totalXattrs)
                                 .arg(names.size());
    for (const auto& [name, bytes] : std::as_const(names)) {
        const TypeTally::Type& type = tally.types.value(bytes);
        text += name + QStringLiteral(" in ") + displayName(type.firstPath) +
                QStringLiteral(" count %1:\n").arg(type.occurrences) +
                HexCodec::grouped(type.firstData) + u'\n';
        // A value that is what its name promises is shown as that instead of as ASCII.
        const AttributeStructure structure = AttributeStructure::read(bytes, type.firstData);
        text += DisplayText::value(structure.crawlLines());
        if (structure.parsed()) {
            text += u'\n';
            continue;
        }
        if (const std::optional<QString> ascii = decodeAscii(type.firstData))
            text += u'\u00ab' + DisplayText::value(*ascii) + QStringLiteral("\u00bb\n");
        text += u'\n';
    }
    return text + ending(tally.counts);
}

QString CrawlReport::reportTypeMatches(const TypeMatchList& matches) {
    QString text = head(matches.counts) +
                   QStringLiteral(" %1 total xattrs, and %2 of type ")
                       .arg(matches.counts.totalXattrs)
                       .arg(matches.matchCount) +
                   displayName(ByteText::encode(matches.typeName)) + QStringLiteral("\n\n");
    const QString separator = matches.showSizes ? QStringLiteral("\n") : QStringLiteral("\n\n");
    // One allocation for the whole report: a UTF-8 byte never becomes more than one UTF-16 unit.
    qsizetype length = text.size();
    for (const QByteArray& record : matches.records)
        length += record.size() + separator.size();
    text.reserve(length);
    for (const QByteArray& record : matches.records) {
        text += QString::fromUtf8(record);
        text += separator;
    }
    if (matches.recordsLeftOut > 0)
        text += QStringLiteral("… and %1 more matches, left out to keep the report within %2 MiB\n")
                    .arg(matches.recordsLeftOut)
                    .arg(TypeMatchList::recordBudget / (1024 * 1024));
    return text + ending(matches.counts);
}

QString CrawlReport::reportSizeTotals(const SizeTotals& totals) {
    return head(totals.counts) +
           QStringLiteral("\nTotal size of xattrs %1 bytes.\n").arg(totals.totalSize) +
           QStringLiteral("Average size of xattrs %1 bytes per file with xattrs,")
               .arg(average(totals.totalSize, totals.counts.filesWithXattrs)) +
           QStringLiteral(" %1 bytes per file over all files.\n")
               .arg(average(totals.totalSize, totals.counts.filesScanned)) +
           ending(totals.counts);
}

QByteArray CrawlReport::typeTallyJson(const TypeTally& tally) {
    QJsonObject report = jsonOf(tally.counts, QStringLiteral("types"));
    QJsonArray types;
    for (const auto& [shown, name] : sortedNames(tally)) {
        const TypeTally::Type& type = tally.types.value(name);
        QJsonObject entry;
        JsonText::insertBytes(entry, QStringLiteral("name"), name);
        entry.insert(QStringLiteral("count"), type.occurrences);
        JsonText::insertBytes(entry, QStringLiteral("first_path"), type.firstPath);
        entry.insert(QStringLiteral("first_size"), type.firstData.size());
        JsonText::insertValue(entry, QStringLiteral("first_value_base64"), type.firstData);
        types.append(entry);
    }
    report.insert(QStringLiteral("types"), types);
    return JsonText::compact(report);
}

QByteArray CrawlReport::sizeTotalsJson(const SizeTotals& totals) {
    QJsonObject report = jsonOf(totals.counts, QStringLiteral("totals"));
    // Sizes are asked for the item as a whole: names are not counted.
    report.remove(QStringLiteral("total_xattrs"));
    report.insert(QStringLiteral("total_size"), totals.totalSize);
    return JsonText::compact(report);
}

QByteArray CrawlReport::matchJson(const QByteArray& path, const QByteArray& value, bool showSizes) {
    QJsonObject match;
    JsonText::insertBytes(match, QStringLiteral("path"), path);
    match.insert(QStringLiteral("size"), value.size());
    if (!showSizes)
        JsonText::insertValue(match, QStringLiteral("value_base64"), value);
    return JsonText::compact(match);
}

QByteArray CrawlReport::matchesJsonStart() {
    return "{\"items\":[\n";
}

QByteArray CrawlReport::matchesJsonEnd(const TypeMatchList& matches) {
    QJsonObject report = jsonOf(matches.counts, QStringLiteral("type"));
    JsonText::insertBytes(report, QStringLiteral("type"), ByteText::encode(matches.typeName));
    report.insert(QStringLiteral("matches"), matches.matchCount);
    return "\n]," + JsonText::members(report) + '}';
}

} // namespace palvorn
