#pragma once

#include "core/crawler/Crawler.h"

namespace palvorn {

// The crawler's report texts, built once at the end of a walk, and palvorn-cli's JSON of them
// (see JsonText), one line each without its line feed.
class CrawlReport {
public:
    static QString reportTypeTally(const TypeTally& tally);
    static QString reportTypeMatches(const TypeMatchList& matches);
    static QString reportSizeTotals(const SizeTotals& totals);

    static QByteArray typeTallyJson(const TypeTally& tally);
    static QByteArray sizeTotalsJson(const SizeTotals& totals);
    // A one-type walk's JSON is written as the walk goes: matchesJsonStart(), the matches'
    // records (matchJson, a CrawlChoice record maker) each after ",\n" but the first, and
    // matchesJsonEnd() with what is known at the end.
    static QByteArray matchJson(const QByteArray& path, const QByteArray& value, bool showSizes);
    static QByteArray matchesJsonStart();
    static QByteArray matchesJsonEnd(const TypeMatchList& matches);
};

} // namespace palvorn
