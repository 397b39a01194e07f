#include "crawler/Crawler.h"

#include "model/AttributeName.h"
#include "model/BinaryPlistDescription.h"
#include "model/FolderItemNames.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/PosixError.h"
#include "model/TextDecoding.h"
#include "model/XattrAccess.h"
#include "model/plist/PlistDescription.h"

namespace palvorn {

namespace {

// The item being processed, and how its failures are kept.
struct Place {
    const FolderWalk::Item& item;
    CrawlCounts& counts;
    const WalkErrors::LineSink& onError;

    void fail(const PosixError& failure) const {
        show(counts.errors.add(item.path, failure.description()));
    }
    void fail(QByteArrayView name, const PosixError& failure) const {
        show(counts.errors.add(item.path, name, failure.description()));
    }
    void show(const QString& line) const {
        if (!line.isEmpty() && onError)
            onError(line);
    }
    QByteArray value(QByteArrayView name) const {
        return FolderXattrAccess::get(item.folderFd, item.name, name.data());
    }
};

// Walks the folder and calls processNames with each item's listed names; counts the items. Names
// stay bytes as the system lists them: this is the hot path of walks over whole home folders.
template <typename ProcessNames>
bool walkNames(CrawlCounts& counts, const FolderWalk::Options& options,
               const WalkErrors::LineSink& onError, QString* error, ProcessNames processNames) {
    FolderItemNames listed;
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++counts.filesScanned;
        const Place place{item, counts, onError};
        try {
            processNames(place, listed.read(item.folderFd, item.name));
        } catch (const PosixError& failure) {
            place.fail(failure);
        }
    };
    const auto folderFailed = [&](const QByteArray& path, const QString& reason) {
        const QString line = counts.errors.add(path, reason);
        if (!line.isEmpty() && onError)
            onError(line);
    };
    const bool walked = FolderWalk::walk(counts.folderPath, visit, folderFailed, options, error);
    counts.stopped = FolderWalk::stopped(options);
    return walked;
}

void countNames(CrawlCounts& counts, const QList<QByteArrayView>& names) {
    if (names.isEmpty())
        return;
    ++counts.filesWithXattrs;
    counts.totalXattrs += names.size();
}

QString matchRecordText(const QByteArray& path, const QByteArray& value, bool showSizes) {
    const QString where = displayName(path) + u':';
    if (showSizes)
        return where + u' ' + QString::number(value.size()) + QStringLiteral("  bytes.");
    QString record = where + u'\n' + PlistDescription::hexText(value) + u'\n';
    if (const std::optional<QString> ascii = decodeAscii(value))
        record += u'\u00ab' + *ascii + QStringLiteral("\u00bb\n");
    return record + describeBinaryPlist(value);
}

void keepMatch(TypeMatchList& matches, const QByteArray& path, const QByteArray& value) {
    ++matches.matchCount;
    if (matches.recordBytes >= TypeMatchList::recordBudget) {
        ++matches.recordsLeftOut;
        return;
    }
    // The encoder reserves room for the worst case; a kept record gives the rest back.
    QByteArray record = matchRecordText(path, value, matches.showSizes).toUtf8();
    record.squeeze();
    matches.recordBytes += record.size();
    matches.records.append(std::move(record));
}

} // namespace

std::optional<TypeTally> Crawler::crawlAllTypes(const QString& folderPath,
                                                const FolderWalk::Options& options,
                                                const WalkErrors::LineSink& onError,
                                                QString* error) {
    TypeTally tally;
    tally.counts.folderPath = folderPath;
    const bool walked = walkNames(
        tally.counts, options, onError, error,
        [&](const Place& place, const QList<QByteArrayView>& names) {
            for (const QByteArrayView name : names) {
                // A raw-data key looks a name up without copying it.
                const auto known =
                    tally.types.find(QByteArray::fromRawData(name.data(), name.size()));
                if (known != tally.types.end()) {
                    ++known->occurrences;
                    continue;
                }
                // A name enters the tally with its first value that can be read, so
                // that no type is ever reported without a carrier and a value.
                try {
                    tally.types.insert(name.toByteArray(),
                                       {place.value(name), displayName(place.item.path), 1});
                } catch (const PosixError& failure) {
                    place.fail(name, failure);
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
                                                   const FolderWalk::Options& options,
                                                   const WalkErrors::LineSink& onError,
                                                   QString* error) {
    TypeMatchList matches;
    matches.counts.folderPath = folderPath;
    matches.typeName = typeName;
    matches.showSizes = showSizes;
    // One name per item: the typed one's bytes, or else an equivalent spelling.
    const NameMatcher matcher(systemAttributeName(typeName));
    const bool walked =
        walkNames(matches.counts, options, onError, error,
                  [&](const Place& place, const QList<QByteArrayView>& names) {
                      if (const std::optional<qsizetype> match = matcher.indexIn(names)) {
                          const QByteArrayView name = names.at(*match);
                          try {
                              keepMatch(matches, place.item.path, place.value(name));
                          } catch (const PosixError& failure) {
                              place.fail(name, failure);
                          }
                      }
                      countNames(matches.counts, names);
                  });
    if (!walked)
        return std::nullopt;
    return matches;
}

std::optional<SizeTotals> Crawler::crawlSizes(const QString& folderPath,
                                              const FolderWalk::Options& options,
                                              const WalkErrors::LineSink& onError, QString* error) {
    SizeTotals totals;
    totals.counts.folderPath = folderPath;
    const bool walked =
        walkNames(totals.counts, options, onError, error,
                  [&](const Place& place, const QList<QByteArrayView>& names) {
                      qint64 sum = 0;
                      for (const QByteArrayView name : names) {
                          try {
                              sum += FolderXattrAccess::size(place.item.folderFd, place.item.name,
                                                             name.data());
                          } catch (const PosixError& failure) {
                              // The item's sum is dropped; it still counts as scanned.
                              place.fail(name, failure);
                              return;
                          }
                      }
                      // Empty values alone do not make an item one that carries attributes here.
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
