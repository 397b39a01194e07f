#pragma once

#include "crawler/Crawler.h"

namespace palvorn {

// The crawler's report texts, built once at the end of a walk.
class CrawlReport {
public:
    static QString reportTypeTally(const TypeTally& tally);
    static QString reportTypeMatches(const TypeMatchList& matches);
    static QString reportSizeTotals(const SizeTotals& totals);
};

} // namespace palvorn
