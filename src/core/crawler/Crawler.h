#pragma once

#include "core/model/Error.h"
#include "core/model/FolderWalk.h"
#include "core/model/NameFilter.h"
#include "core/model/WalkErrors.h"

#include <functional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace palvorn {

// Counts every walk keeps, and how it ended.
struct CrawlCounts {
    QString folderPath;
    qint64 filesScanned = 0;
    qint64 filesWithXattrs = 0;
    qint64 totalXattrs = 0;
    bool stopped = false; // ended by Stop, closing or quitting before the last item
    WalkErrors errors;
};

// The all-types walk: every name met (as the system's bytes), with the first item (in walk
// order) whose value of it could be read, and the number of items that carried it from then on.
// It grows with the number of distinct names, not of items: per name at most 255 bytes of name,
// one path and one value of at most 64 KiB (the system's limits on Linux).
struct TypeTally {
    struct Type {
        QByteArray firstData;
        QByteArray firstPath; // as the walk names the item: bytes
        qint64 occurrences = 0;
    };
    CrawlCounts counts;
    QHash<QByteArray, Type> types;
};

// The one-type walk: one record per matching value that could be read, in walk order. A record is
// its fields joined as the report prints them (a space with sizes, a line break without), kept in
// UTF-8 because a walk of a home folder can gather hundreds of thousands of them. Records beyond
// recordBudget bytes are counted, not kept, and the report says how many were left out. A caller
// that writes the records as they come (palvorn-cli's JSON) gives its own record form and sink
// (CrawlChoice): then none is kept, and memory does not grow with the matches.
struct TypeMatchList {
    static constexpr qsizetype recordBudget = 64 * 1024 * 1024;

    CrawlCounts counts;
    QString typeName; // as typed (ByteText); the report shows it as displayName does
    bool showSizes = false;
    qint64 matchCount = 0;
    QList<QByteArray> records;
    qsizetype recordBytes = 0;
    qint64 recordsLeftOut = 0;
};

// What a caller may choose beyond the window's walks: only the names a filter takes (as if the
// items carried no others), and for the one-type walk records made and taken by the caller as
// they come, in walk order, instead of the report's kept text.
struct CrawlChoice {
    // The record of one match: the item's path as the walk names it, and the value.
    using RecordMaker =
        std::function<QByteArray(const QByteArray& path, const QByteArray& value, bool showSizes)>;
    using RecordSink = std::function<void(const QByteArray& record)>;

    NameFilter filter;
    RecordMaker makeRecord; // with onRecord; none: the report's text, kept
    RecordSink onRecord;
};

// The size walk: sizes are asked of the system, values are never read.
struct SizeTotals {
    CrawlCounts counts;
    qint64 totalSize = 0;
};

// The three walks below a folder. Items are those of FolderWalk; symbolic links are neither
// followed nor counted. A failing item's "PATH: REASON" line is kept in the counts' errors, shown
// through onError as it happens, and the walk goes on. Each returns an error whose text is
// "PATH: REASON" when the folder cannot be walked at all.
class Crawler {
public:
    static Result<TypeTally> crawlAllTypes(const QString& folderPath,
                                           const FolderWalk::Options& options,
                                           const WalkErrors::LineSink& onError,
                                           const CrawlChoice& choice = {});
    static Result<TypeMatchList> crawlOneType(const QString& folderPath, const QString& typeName,
                                              bool showSizes, const FolderWalk::Options& options,
                                              const WalkErrors::LineSink& onError,
                                              const CrawlChoice& choice = {});
    static Result<SizeTotals> crawlSizes(const QString& folderPath,
                                         const FolderWalk::Options& options,
                                         const WalkErrors::LineSink& onError,
                                         const CrawlChoice& choice = {});
};

} // namespace palvorn
