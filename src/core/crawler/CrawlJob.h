#pragma once

#include "core/crawler/Crawler.h"

#include <functional>

#include <QByteArray>
#include <QString>

namespace palvorn {

// One crawl from what was asked to its report, the same for the crawler window and palvorn-cli:
// the choice of walk, and the report text or JSON of its result (CrawlReport).
class CrawlJob {
public:
    // Totals win over a type, and an empty type tallies all of them.
    struct Request {
        QString folderPath;
        QString type;           // as typed (ByteText); empty: every type
        bool showSizes = false; // with a type: the values' sizes instead of the values
        bool totals = false;
        NameFilter filter; // only the names it takes, as if the items carried no others
    };

    struct Outcome {
        // An error when the folder cannot be walked at all. Empty for JSON, which is in json.
        Result<QString> report;
        QByteArray json;
        // Ran to its end without an error; a stopped walk still has its report.
        bool complete = false;
    };

    // Where a one-type walk's JSON goes as the matches are found.
    using JsonSink = std::function<void(const QByteArray& bytes)>;

    // The walk and its report text. Failing items go to onError as they happen (Crawler).
    static Outcome report(const Request& request, const FolderWalk::Options& options,
                          const WalkErrors::LineSink& onError);
    // The walk and its JSON, one document without its last line feed. A one-type walk does not
    // keep its matches: they go through onJson in walk order, and the outcome's json is the
    // rest of the document. The other walks' whole document is the outcome's json.
    static Outcome json(const Request& request, const FolderWalk::Options& options,
                        const WalkErrors::LineSink& onError, const JsonSink& onJson);

private:
    static Outcome run(const Request& request, const FolderWalk::Options& options,
                       const WalkErrors::LineSink& onError, const JsonSink* onJson);
};

} // namespace palvorn
