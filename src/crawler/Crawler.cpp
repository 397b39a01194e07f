#include "crawler/Crawler.h"

#include "model/BinaryPlistDescription.h"
#include "model/ListedXattrNames.h"
#include "model/TextDecoding.h"
#include "model/XattrAccess.h"
#include "model/plist/PlistDescription.h"

#include <QFile>

namespace palvorn {

namespace {

// Walks the folder and calls processNames with each item's listed names; counts the items. Names
// stay bytes as the system lists them: this is the hot path of walks over whole home folders.
template <typename ProcessNames>
bool walkNames(CrawlCounts& counts, const FolderWalk::ErrorSink& onError,
               const std::atomic_bool* stop, QString* error, ProcessNames processNames) {
    ListedXattrNames listed;
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++counts.filesScanned;
        try {
            processNames(item.path, listed.read(item.path));
        } catch (const PosixError& failure) {
            onError(failure.description());
        }
    };
    return FolderWalk::walk(counts.folderPath, visit, onError, stop, error);
}

void countNames(CrawlCounts& counts, const QList<QByteArrayView>& names) {
    if (names.isEmpty())
        return;
    ++counts.filesWithXattrs;
    counts.totalXattrs += names.size();
}

// Typed names match listed ones under canonical equivalence, after the namespace rule.
class TypeMatcher {
public:
    explicit TypeMatcher(const QString& typeName)
        : m_wanted(QString::fromUtf8(systemAttributeName(typeName))
                       .normalized(QString::NormalizationForm_C)),
          m_wantedBytes(m_wanted.toUtf8()) {}

    bool matches(QByteArrayView listed) const {
        if (listed == m_wantedBytes)
            return true;
        // ASCII text is its own normal form, so only byte equality can match it.
        if (isAscii(listed))
            return false;
        return QString::fromUtf8(listed).normalized(QString::NormalizationForm_C) == m_wanted;
    }

private:
    QString m_wanted;
    QByteArray m_wantedBytes;
};

QString matchRecordText(const QByteArray& path, const QByteArray& value, bool showSizes) {
    const QString where = QFile::decodeName(path) + u':';
    if (showSizes)
        return where + u' ' + QString::number(value.size()) + QStringLiteral("  bytes.");
    QString record = where + u'\n' + PlistDescription::hexText(value) + u'\n';
    if (const std::optional<QString> ascii = decodeAscii(value))
        record += u'\u00ab' + *ascii + QStringLiteral("\u00bb\n");
    return record + describeBinaryPlist(value);
}

// The encoder reserves room for the worst case; a kept record gives the rest back.
QByteArray matchRecord(const QByteArray& path, const QByteArray& value, bool showSizes) {
    QByteArray record = matchRecordText(path, value, showSizes).toUtf8();
    record.squeeze();
    return record;
}

} // namespace

std::optional<TypeTally> Crawler::crawlAllTypes(const QString& folderPath,
                                                const FolderWalk::ErrorSink& onError,
                                                const std::atomic_bool* stop, QString* error) {
    TypeTally tally;
    tally.counts.folderPath = folderPath;
    // Keyed by the listed bytes while walking; a raw-data key looks a name up without copying it.
    QHash<QByteArray, TypeTally::Type> types;
    const bool walked = walkNames(
        tally.counts, onError, stop, error,
        [&](const QByteArray& path, const QList<QByteArrayView>& names) {
            for (const QByteArrayView name : names) {
                const auto known = types.find(QByteArray::fromRawData(name.data(), name.size()));
                if (known != types.end()) {
                    ++known->occurrences;
                    continue;
                }
                // A name enters the tally with its first value that can be read, so
                // that no type is ever reported without a carrier and a value.
                try {
                    types.insert(name.toByteArray(),
                                 {getListedXattr(path, name.data()), QFile::decodeName(path), 1});
                } catch (const PosixError& failure) {
                    onError(failure.description());
                }
            }
            countNames(tally.counts, names);
        });
    if (!walked)
        return std::nullopt;
    for (auto type = types.cbegin(); type != types.cend(); ++type)
        tally.types.insert(QString::fromUtf8(type.key()), type.value());
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
    const TypeMatcher matcher(typeName);
    const bool walked =
        walkNames(matches.counts, onError, stop, error,
                  [&](const QByteArray& path, const QList<QByteArrayView>& names) {
                      for (const QByteArrayView name : names) {
                          if (!matcher.matches(name))
                              continue;
                          try {
                              matches.records.append(
                                  matchRecord(path, getListedXattr(path, name.data()), showSizes));
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
                                  [&](const QByteArray& path, const QList<QByteArrayView>& names) {
                                      qint64 sum = 0;
                                      try {
                                          for (const QByteArrayView name : names)
                                              sum += getListedXattrSize(path, name.data());
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
