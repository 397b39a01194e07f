#include "core/crawler/CrawlJob.h"

#include "core/crawler/CrawlReport.h"

namespace palvorn {

CrawlJob::Outcome CrawlJob::report(const Request& request, const FolderWalk::Options& options,
                                   const WalkErrors::LineSink& onError) {
    return run(request, options, onError, nullptr);
}

CrawlJob::Outcome CrawlJob::json(const Request& request, const FolderWalk::Options& options,
                                 const WalkErrors::LineSink& onError, const JsonSink& onJson) {
    return run(request, options, onError, &onJson);
}

CrawlJob::Outcome CrawlJob::run(const Request& request, const FolderWalk::Options& options,
                                const WalkErrors::LineSink& onError, const JsonSink* onJson) {
    Outcome outcome;
    CrawlChoice choice;
    choice.filter = request.filter;
    bool streaming = false;
    if (onJson) {
        choice.makeRecord = CrawlReport::matchJson;
        choice.onRecord = [onJson, &streaming](const QByteArray& record) {
            (*onJson)(streaming ? QByteArray(",\n") : CrawlReport::matchesJsonStart());
            streaming = true;
            (*onJson)(record);
        };
    }
    const auto finish = [&outcome, onJson](const auto& result, auto makeReport, auto makeJson) {
        if (!result) {
            outcome.report = failure(result.error());
            return;
        }
        outcome.complete = result->counts.errors.isEmpty() && !result->counts.stopped;
        if (onJson)
            outcome.json = makeJson(*result);
        outcome.report = onJson ? QString() : makeReport(*result);
    };
    if (request.totals)
        finish(Crawler::crawlSizes(request.folderPath, options, onError, choice),
               CrawlReport::reportSizeTotals, CrawlReport::sizeTotalsJson);
    else if (request.type.isEmpty())
        finish(Crawler::crawlAllTypes(request.folderPath, options, onError, choice),
               CrawlReport::reportTypeTally, CrawlReport::typeTallyJson);
    else
        finish(Crawler::crawlOneType(request.folderPath, request.type, request.showSizes, options,
                                     onError, choice),
               CrawlReport::reportTypeMatches, [&streaming](const TypeMatchList& matches) {
                   // Without a match the document starts here.
                   return (streaming ? QByteArray() : CrawlReport::matchesJsonStart()) +
                          CrawlReport::matchesJsonEnd(matches);
               });
    return outcome;
}

} // namespace palvorn
