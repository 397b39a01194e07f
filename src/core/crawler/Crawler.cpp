#include "core/crawler/Crawler.h"

#include "core/model/AttributeName.h"
#include "core/model/AttributeStructure.h"
#include "core/model/BinaryPlistDescription.h"
#include "core/model/DisplayText.h"
#include "core/model/FolderItemNames.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/HexCodec.h"
#include "core/model/NameMatcher.h"
#include "core/model/ParallelFolderWalk.h"
#include "core/model/TextDecoding.h"
#include "core/model/XattrAccess.h"

#include <atomic>
#include <shared_mutex>
#include <vector>

#include <QSet>

namespace palvorn {

namespace {

// How a walk keeps an item's failures: each is shown through onError as it is kept.
struct Failures {
    CrawlCounts& counts;
    const WalkErrors::LineSink& onError;

    void add(QByteArrayView path, const QString& reason) const {
        show(counts.errors.add(path, reason));
    }
    void add(QByteArrayView path, QByteArrayView name, const QString& reason) const {
        show(counts.errors.add(path, name, reason));
    }
    void show(const QString& line) const {
        if (!line.isEmpty() && onError)
            onError(line);
    }
};

// What every crawl probe learns first: the item's names, or why they could not be listed.
struct Listing {
    bool listed = false;
    QString failure;

    // Names as the system lists them (the walks' hot path keeps them as bytes); none on failure.
    const QList<QByteArrayView>* read(const FolderWalk::Item& item, FolderItemNames& names,
                                      const NameFilter& filter) {
        if (!failure.isEmpty())
            failure.clear();
        const Result<> read = names.read(item.folderFd, item.name, filter);
        listed = read.has_value();
        if (!read) {
            failure = read.error().reason();
            return nullptr;
        }
        return &names.names();
    }
};

// Common to the three crawls: symbolic links are neither followed nor counted; every other item
// is scanned, and one that cannot be listed is an error.
class CrawlWalk {
public:
    struct Scratch {
        FolderItemNames names;
    };

    CrawlWalk(CrawlCounts& counts, const WalkErrors::LineSink& onError, const CrawlChoice& choice)
        : m_counts(counts), m_failures{counts, onError}, m_filter(choice.filter) {}

    FolderWalk::ErrorSink folderFailed() const {
        return
            [this](const QByteArray& path, const QString& reason) { m_failures.add(path, reason); };
    }

protected:
    // False for a link or an item that could not be listed: nothing more to merge.
    bool mergeListing(const FolderWalk::Item& item, const Listing& listing) {
        if (item.isSymbolicLink)
            return false;
        ++m_counts.filesScanned;
        if (!listing.listed)
            m_failures.add(item.path(), listing.failure);
        return listing.listed;
    }

    void countNames(qsizetype names) {
        if (names == 0)
            return;
        ++m_counts.filesWithXattrs;
        m_counts.totalXattrs += names;
    }

    CrawlCounts& m_counts;
    const Failures m_failures;
    const NameFilter m_filter; // the names the walk takes
};

// A name enters the tally with its first value that can be read, so that no type is ever
// reported without a carrier and a value. Probes read a name's value only while no earlier item
// has given one: not once merged (settled), nor earlier in the probe's own run of items.
class AllTypesWalk : public CrawlWalk {
public:
    struct Outcome {
        Listing listing;
        QByteArray names; // as listed, each followed by its NUL
        // By the name's index. Standard vectors: an empty QList would allocate on a mutable
        // begin().
        std::vector<std::pair<qsizetype, QByteArray>> values;
        std::vector<std::pair<qsizetype, QString>> readFailures;
        qsizetype bytes() const {
            qsizetype sum = names.size();
            for (const auto& value : values)
                sum += value.second.size();
            return sum;
        }
    };
    struct Scratch : CrawlWalk::Scratch {
        QSet<QByteArray> readHere; // in this run of items
        QList<qsizetype> unsettled;
        // This thread's copy of the settled names (shared until the merge adds one), so that
        // items are probed without taking the lock.
        QSet<QByteArray> settled;
        int settledVersion = -1;
        void startPart() { readHere.clear(); }
    };

    AllTypesWalk(TypeTally& tally, const WalkErrors::LineSink& onError, const CrawlChoice& choice)
        : CrawlWalk(tally.counts, onError, choice), m_tally(tally) {}

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        outcome.values.clear();
        outcome.readFailures.clear();
        if (item.isSymbolicLink)
            return;
        const QList<QByteArrayView>* names = outcome.listing.read(item, scratch.names, m_filter);
        if (!names)
            return;
        // Copied into the outcome's own buffer, which keeps its capacity from item to item.
        const QByteArrayView list = scratch.names.list();
        outcome.names.truncate(0);
        if (list.isEmpty())
            return;
        outcome.names.append(list);
        if (scratch.settledVersion != m_settledVersion.load(std::memory_order_acquire)) {
            const std::shared_lock lock(m_settledLock);
            scratch.settled = m_settled;
            scratch.settledVersion = m_settledVersion.load(std::memory_order_relaxed);
        }
        scratch.unsettled.clear();
        for (qsizetype i = 0; i < names->size(); ++i) {
            const QByteArray key = rawKey(names->at(i));
            if (!scratch.readHere.contains(key) && !scratch.settled.contains(key))
                scratch.unsettled.append(i);
        }
        for (const qsizetype i : std::as_const(scratch.unsettled)) {
            const QByteArrayView name = names->at(i);
            Result<QByteArray> value =
                FolderXattrAccess::get(item.folderFd, item.name, name.data());
            if (!value) {
                outcome.readFailures.emplace_back(i, value.error().reason());
                continue;
            }
            outcome.values.emplace_back(i, std::move(*value));
            scratch.readHere.insert(name.toByteArray());
        }
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (!mergeListing(item, outcome.listing) || outcome.names.isEmpty())
            return;
        splitNameList(outcome.names, m_names);
        auto value = outcome.values.begin();
        auto failure = outcome.readFailures.cbegin();
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            const QByteArrayView name = m_names.at(i);
            while (value != outcome.values.end() && value->first < i)
                ++value;
            while (failure != outcome.readFailures.cend() && failure->first < i)
                ++failure;
            const auto known = m_tally.types.find(rawKey(name));
            if (known != m_tally.types.end()) {
                ++known->occurrences;
            } else if (value != outcome.values.end() && value->first == i) {
                settle(name);
                m_tally.types.insert(name.toByteArray(),
                                     {std::move(value->second), item.path(), 1});
            } else if (failure != outcome.readFailures.cend() && failure->first == i) {
                m_failures.add(item.path(), name, failure->second);
            }
        }
        countNames(m_names.size());
    }

private:
    // Looks a name up without copying it.
    static QByteArray rawKey(QByteArrayView name) {
        return QByteArray::fromRawData(name.data(), name.size());
    }

    void settle(QByteArrayView name) {
        const std::unique_lock lock(m_settledLock);
        m_settled.insert(name.toByteArray());
        m_settledVersion.fetch_add(1, std::memory_order_release);
    }

    TypeTally& m_tally;
    QList<QByteArrayView> m_names;
    // The tally's names, for the probes: it grows with the names met, not with the items.
    mutable std::shared_mutex m_settledLock;
    QSet<QByteArray> m_settled;
    std::atomic_int m_settledVersion = 0;
};

// Built as the UTF-8 the report keeps: a crawl of a home folder can match hundreds of thousands
// of values, and every text on the way would be made and converted once more.
void appendMatchRecord(QByteArray& record, const QByteArray& path, QByteArrayView name,
                       const QByteArray& value, bool showSizes) {
    record.append(displayName(path).toUtf8()).append(':');
    if (showSizes) {
        record.append(' ').append(QByteArray::number(value.size())).append("  bytes.");
        return;
    }
    record.append('\n');
    HexCodec::appendGrouped(record, value);
    record.append('\n');
    // A value that is what its name promises is shown as that; the lines below describe others.
    const AttributeStructure structure = AttributeStructure::read(name, value);
    record.append(DisplayText::value(structure.crawlLines()).toUtf8());
    if (structure.parsed())
        return;
    if (const std::optional<QString> ascii = decodeAscii(value))
        record.append("\u00ab").append(DisplayText::value(*ascii).toUtf8()).append("\u00bb\n");
    record.append(describeBinaryPlist(value).toUtf8());
}

// One name per item: the typed one's bytes, or else an equivalent spelling. Probes build each
// match's record text; the merge keeps records in walk order up to the budget.
class OneTypeWalk : public CrawlWalk {
public:
    struct Outcome {
        Listing listing;
        qsizetype nameCount = 0;
        QByteArray match; // the matching name; empty when none
        QString readFailure;
        QByteArray record;
        qsizetype bytes() const { return record.size(); }
    };

    struct Scratch : CrawlWalk::Scratch {
        QByteArray record;
    };

    OneTypeWalk(TypeMatchList& matches, const WalkErrors::LineSink& onError,
                const CrawlChoice& choice)
        : CrawlWalk(matches.counts, onError, choice), m_matches(matches), m_choice(choice),
          m_matcher(systemAttributeName(matches.typeName)) {}

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        // Emptied, not freed: the outcome is used again for later items.
        outcome.match.truncate(0);
        if (!outcome.readFailure.isEmpty())
            outcome.readFailure.clear();
        outcome.record.truncate(0);
        if (item.isSymbolicLink)
            return;
        const QList<QByteArrayView>* names = outcome.listing.read(item, scratch.names, m_filter);
        if (!names)
            return;
        outcome.nameCount = names->size();
        const std::optional<qsizetype> match = m_matcher.indexIn(*names);
        if (!match)
            return;
        const QByteArrayView name = names->at(*match);
        outcome.match.append(name);
        const Result<QByteArray> read =
            FolderXattrAccess::get(item.folderFd, item.name, name.data());
        if (!read) {
            outcome.readFailure = read.error().reason();
            return;
        }
        const QByteArray& value = *read;
        // Past the budget a record is only counted: no text to build.
        if (!m_budgetSpent.load(std::memory_order_relaxed)) {
            if (m_choice.makeRecord) {
                outcome.record = m_choice.makeRecord(item.path(), value, m_matches.showSizes);
            } else {
                // Made in the thread's buffer, kept in one of its exact size.
                scratch.record.truncate(0);
                appendMatchRecord(scratch.record, item.path(), name, value, m_matches.showSizes);
                outcome.record = QByteArray(scratch.record.constData(), scratch.record.size());
            }
        }
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (!mergeListing(item, outcome.listing))
            return;
        if (!outcome.match.isEmpty()) {
            if (!outcome.readFailure.isEmpty())
                m_failures.add(item.path(), outcome.match, outcome.readFailure);
            else
                keep(std::move(outcome.record));
        }
        countNames(outcome.nameCount);
    }

private:
    void keep(QByteArray record) {
        ++m_matches.matchCount;
        if (m_choice.onRecord) {
            m_choice.onRecord(record);
            return;
        }
        if (m_matches.recordBytes >= TypeMatchList::recordBudget) {
            m_budgetSpent.store(true, std::memory_order_relaxed);
            ++m_matches.recordsLeftOut;
            return;
        }
        m_matches.recordBytes += record.size();
        m_matches.records.append(std::move(record));
    }

    TypeMatchList& m_matches;
    const CrawlChoice& m_choice;
    const NameMatcher m_matcher;
    std::atomic_bool m_budgetSpent = false;
};

// Sizes are asked of the system, values are never read.
class SizesWalk : public CrawlWalk {
public:
    struct Outcome {
        Listing listing;
        qint64 sum = 0;
        QByteArray failedName; // the item's sum is dropped; it still counts as scanned
        QString failure;
        qsizetype bytes() const { return 0; }
    };

    SizesWalk(SizeTotals& totals, const WalkErrors::LineSink& onError, const CrawlChoice& choice)
        : CrawlWalk(totals.counts, onError, choice), m_totals(totals) {}

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        outcome.sum = 0;
        outcome.failedName.clear();
        if (item.isSymbolicLink)
            return;
        const QList<QByteArrayView>* names = outcome.listing.read(item, scratch.names, m_filter);
        if (!names)
            return;
        for (const QByteArrayView name : *names) {
            const Result<qint64> size =
                FolderXattrAccess::size(item.folderFd, item.name, name.data());
            if (!size) {
                outcome.failedName = name.toByteArray();
                outcome.failure = size.error().reason();
                return;
            }
            outcome.sum += *size;
        }
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (!mergeListing(item, outcome.listing))
            return;
        if (!outcome.failedName.isEmpty()) {
            m_failures.add(item.path(), outcome.failedName, outcome.failure);
            return;
        }
        // Empty values alone do not make an item one that carries attributes here.
        if (outcome.sum > 0) {
            ++m_counts.filesWithXattrs;
            m_totals.totalSize += outcome.sum;
        }
    }

private:
    SizeTotals& m_totals;
};

template <typename Found, typename Walk>
Result<Found> crawl(Found result, const FolderWalk::Options& options,
                    const WalkErrors::LineSink& onError, const CrawlChoice& choice) {
    Walk walk(result, onError, choice);
    if (Result<> walked =
            ParallelFolderWalk::walk(walk, result.counts.folderPath, walk.folderFailed(), options);
        !walked)
        return failure(std::move(walked.error()));
    result.counts.stopped = FolderWalk::stopped(options);
    return result;
}

} // namespace

Result<TypeTally> Crawler::crawlAllTypes(const QString& folderPath,
                                         const FolderWalk::Options& options,
                                         const WalkErrors::LineSink& onError,
                                         const CrawlChoice& choice) {
    TypeTally tally;
    tally.counts.folderPath = folderPath;
    return crawl<TypeTally, AllTypesWalk>(std::move(tally), options, onError, choice);
}

Result<TypeMatchList> Crawler::crawlOneType(const QString& folderPath, const QString& typeName,
                                            bool showSizes, const FolderWalk::Options& options,
                                            const WalkErrors::LineSink& onError,
                                            const CrawlChoice& choice) {
    TypeMatchList matches;
    matches.counts.folderPath = folderPath;
    matches.typeName = typeName;
    matches.showSizes = showSizes;
    return crawl<TypeMatchList, OneTypeWalk>(std::move(matches), options, onError, choice);
}

Result<SizeTotals> Crawler::crawlSizes(const QString& folderPath,
                                       const FolderWalk::Options& options,
                                       const WalkErrors::LineSink& onError,
                                       const CrawlChoice& choice) {
    SizeTotals totals;
    totals.counts.folderPath = folderPath;
    return crawl<SizeTotals, SizesWalk>(std::move(totals), options, onError, choice);
}

} // namespace palvorn
