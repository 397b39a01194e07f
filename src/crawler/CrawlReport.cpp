#include "crawler/CrawlReport.h"

#include "model/TextDecoding.h"
#include "model/plist/PlistDescription.h"

#include <algorithm>

namespace palvorn {

namespace {

QString head(const CrawlCounts& counts) {
    return QStringLiteral("Found %1 files with xattrs out of %2 scanned in %3")
        .arg(counts.filesWithXattrs)
        .arg(counts.filesScanned)
        .arg(counts.folderPath);
}

// Code point by code point after canonical normalisation; UTF-16 order would put characters
// beyond U+FFFF before U+E000..U+FFFF.
bool codePointLess(const QString& a, const QString& b) {
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

// Averages are whole-number divisions; over a count of 0 there is nothing to divide, so 0.
qint64 average(qint64 total, qint64 count) {
    return count > 0 ? total / count : 0;
}

} // namespace

QString CrawlReport::reportTypeTally(const TypeTally& tally) {
    QStringList names = tally.types.keys();
    std::sort(names.begin(), names.end(), codePointLess);
    QString text =
        head(tally.counts) + QStringLiteral(" %1 total xattrs.\nThere are %2 Xattr types\n\n")
                                 .arg(tally.counts.totalXattrs)
                                 .arg(names.size());
    for (const QString& name : std::as_const(names)) {
        const TypeTally::Type& type = tally.types.value(name);
        text += name + QStringLiteral(" in ") + type.firstPath +
                QStringLiteral(" count %1:\n").arg(type.occurrences) +
                PlistDescription::hexText(type.firstData) + u'\n';
        if (const std::optional<QString> ascii = decodeAscii(type.firstData))
            text += u'\u00ab' + *ascii + QStringLiteral("\u00bb\n");
        text += u'\n';
    }
    return text;
}

QString CrawlReport::reportTypeMatches(const TypeMatchList& matches) {
    QString text = head(matches.counts) +
                   QStringLiteral(" %1 total xattrs, and %2 of type ")
                       .arg(matches.counts.totalXattrs)
                       .arg(matches.matchCount) +
                   matches.typeName + QStringLiteral("\n\n");
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
    return text;
}

QString CrawlReport::reportSizeTotals(const SizeTotals& totals) {
    return head(totals.counts) +
           QStringLiteral("\nTotal size of xattrs %1 bytes.\n").arg(totals.totalSize) +
           QStringLiteral("Average size of xattrs %1 bytes per file with xattrs,")
               .arg(average(totals.totalSize, totals.counts.filesWithXattrs)) +
           QStringLiteral(" %1 bytes per file over all files.\n")
               .arg(average(totals.totalSize, totals.counts.filesScanned));
}

} // namespace palvorn
