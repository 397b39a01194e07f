#include "crawler/Crawler.h"

#include "model/BinaryPlistDescription.h"
#include "model/TextDecoding.h"
#include "model/XattrAccess.h"
#include "model/plist/PlistDescription.h"

#include <QFile>

namespace palvorn {

namespace {

// Walks the folder and calls processNames with each item's listed names; counts the items.
template <typename ProcessNames>
bool walkNames(CrawlCounts& counts, const FolderWalk::ErrorSink& onError,
               const std::atomic_bool* stop, QString* error, ProcessNames processNames) {
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++counts.filesScanned;
        try {
            const QStringList names = listXattrs(item.path);
            processNames(item.path, names);
        } catch (const PosixError& failure) {
            onError(failure.description());
        }
    };
    return FolderWalk::walk(counts.folderPath, visit, onError, stop, error);
}

void countNames(CrawlCounts& counts, const QStringList& names) {
    if (names.isEmpty())
        return;
    ++counts.filesWithXattrs;
    counts.totalXattrs += names.size();
}

QString comparableName(const QString& name) {
    return QString::fromUtf8(systemAttributeName(name)).normalized(QString::NormalizationForm_C);
}

QStringList matchRecord(const QByteArray& path, const QByteArray& value, bool showSizes) {
    const QString where = QFile::decodeName(path) + u':';
    if (showSizes)
        return {where, QString::number(value.size()), QStringLiteral(" bytes.")};
    QStringList fields{where, PlistDescription::hexText(value)};
    if (const std::optional<QString> ascii = decodeAscii(value))
        fields.append(u'\u00ab' + *ascii + u'\u00bb');
    fields.append(describeBinaryPlist(value));
    return fields;
}

} // namespace

std::optional<TypeTally> Crawler::crawlAllTypes(const QString& folderPath,
                                                const FolderWalk::ErrorSink& onError,
                                                const std::atomic_bool* stop, QString* error) {
    TypeTally tally;
    tally.counts.folderPath = folderPath;
    const bool walked = walkNames(
        tally.counts, onError, stop, error, [&](const QByteArray& path, const QStringList& names) {
            for (const QString& name : names) {
                const auto known = tally.types.find(name);
                if (known != tally.types.end()) {
                    ++known->occurrences;
                    continue;
                }
                // A name enters the tally with its first value that can be read, so that no type is
                // ever reported without a carrier and a value.
                try {
                    tally.types.insert(name, {getXattr(path, name), QFile::decodeName(path), 1});
                } catch (const PosixError& failure) {
                    onError(failure.description());
                }
            }
            countNames(tally.counts, names);
        });
    if (!walked)
        return std::nullopt;
    return tally;
}

std::optional<TypeMatchList> Crawler::crawlOneType(const QString& folderPath,
                                                   const QString& typeName, bool showSizes,
                                                   const FolderWalk::ErrorSink& onError,
                                                   const std::atomic_bool* stop, QString* error) {
    TypeMatchList matches;
    matches.counts.folderPath = folderPath;
    matches.typeName = typeName;
    matches.showSizes = showSizes;
    const QString wanted = comparableName(typeName);
    const bool walked = walkNames(
        matches.counts, onError, stop, error,
        [&](const QByteArray& path, const QStringList& names) {
            for (const QString& name : names) {
                if (name.normalized(QString::NormalizationForm_C) != wanted)
                    continue;
                try {
                    matches.records.append(matchRecord(path, getXattr(path, name), showSizes));
                    ++matches.matchCount;
                } catch (const PosixError& failure) {
                    onError(failure.description());
                }
            }
            countNames(matches.counts, names);
        });
    if (!walked)
        return std::nullopt;
    return matches;
}

std::optional<SizeTotals> Crawler::crawlSizes(const QString& folderPath,
                                              const FolderWalk::ErrorSink& onError,
                                              const std::atomic_bool* stop, QString* error) {
    SizeTotals totals;
    totals.counts.folderPath = folderPath;
    const bool walked = walkNames(totals.counts, onError, stop, error,
                                  [&](const QByteArray& path, const QStringList& names) {
                                      qint64 sum = 0;
                                      try {
                                          for (const QString& name : names)
                                              sum += getXattrSize(path, name);
                                      } catch (const PosixError& failure) {
                                          onError(failure.description());
                                          return;
                                      }
                                      // Empty values alone do not make an item one that carries
                                      // attributes here.
                                      if (sum > 0) {
                                          ++totals.counts.filesWithXattrs;
                                          totals.totalSize += sum;
                                      }
                                  });
    if (!walked)
        return std::nullopt;
    return totals;
}

} // namespace palvorn
