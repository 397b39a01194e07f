#include "crawler/CrawlReport.h"
#include "model/ByteText.h"
#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class CrawlerTest : public XattrFixture {
protected:
    void SetUp() override {
        XattrFixture::SetUp();
        m_root = makeFolder(u"root"_s);
    }

    template <typename Walk> auto walked(Walk walk) {
        QString error;
        const WalkErrors::LineSink onError = [this](const QString& line) { m_errors.append(line); };
        auto result = walk(m_root, FolderWalk::Options{}, onError, &error);
        EXPECT_TRUE(result) << error.toStdString();
        return *result;
    }

    TypeTally tally() {
        return walked([](auto... arguments) { return Crawler::crawlAllTypes(arguments...); });
    }
    TypeMatchList matches(const QString& type, bool showSizes) {
        return walked([&](const QString& folder, const FolderWalk::Options& options,
                          const WalkErrors::LineSink& onError, QString* error) {
            return Crawler::crawlOneType(folder, type, showSizes, options, onError, error);
        });
    }
    SizeTotals sizes() {
        return walked([](auto... arguments) { return Crawler::crawlSizes(arguments...); });
    }

    QString m_root;
    QStringList m_errors;
};

} // namespace

TEST_F(CrawlerTest, AnEmptyFolderGivesEachWalksEmptyReport) {
    setRaw(m_root, "user.own", "never read"); // the folder's own attributes are not walked
    const QString head = u"Found 0 files with xattrs out of 0 scanned in "_s + m_root;
    EXPECT_EQ(CrawlReport::reportTypeTally(tally()),
              head + u" 0 total xattrs.\nThere are 0 Xattr types\n\n"_s);
    EXPECT_EQ(CrawlReport::reportTypeMatches(matches(u"own"_s, false)),
              head + u" 0 total xattrs, and 0 of type own\n\n"_s);
    EXPECT_EQ(CrawlReport::reportSizeTotals(sizes()),
              head +
                  u"\nTotal size of xattrs 0 bytes.\nAverage size of xattrs 0 bytes per file with "
                  "xattrs, 0 bytes per file over all files.\n"_s);
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(CrawlerTest, TallyCountsCarriersAndKeepsTheFirstOne) {
    makeFolder(u"root/sub"_s);
    const QString a = makeFile(u"root/a"_s);
    const QString b = makeFile(u"root/sub/b"_s);
    const QString c = makeFile(u"root/sub/c"_s);
    setRaw(a, "user.Z", "upper");
    setRaw(a, "user.empty", "");
    setRaw(b, "user.empty", "not empty here");
    setRaw(c, "user.bin", QByteArray("\xff\x00", 2));
    ASSERT_TRUE(QFile::link(a, m_root + u"/link"_s)); // never counted

    const TypeTally result = tally();
    EXPECT_EQ(result.counts.filesScanned, 4);
    EXPECT_EQ(result.counts.filesWithXattrs, 3);
    EXPECT_EQ(result.counts.totalXattrs, 4);
    EXPECT_EQ(result.types.value("user.empty").occurrences, 2);
    // The first carrier in walk order, which follows the system's listing of each folder.
    const QString first = result.types.value("user.empty").firstPath;
    EXPECT_TRUE(first == a || first == b);
    EXPECT_EQ(result.types.value("user.empty").firstData, getRaw(first, "user.empty"));
    const QString report = CrawlReport::reportTypeTally(result);
    EXPECT_TRUE(report.contains(u"user.Z in "_s + a +
                                u" count 1:\n<75707065 72>\n\u00abupper\u00bb\n\n"_s));
    EXPECT_TRUE(
        report.contains(u"user.bin in "_s + c + u" count 1:\n<ff00>\n\n"_s)); // no ASCII line
    EXPECT_LT(report.indexOf(u"user.Z "_s), report.indexOf(u"user.bin "_s));  // capitals sort first
}

TEST_F(CrawlerTest, OneTypeMatchesExactlyAndShowsValuesOrSizes) {
    const QString a = makeFile(u"root/a"_s);
    const QString b = makeFile(u"root/b"_s);
    setRaw(a, "user.com.apple.quarantine", "0083;1;x;");
    setRaw(b, "user.com.apple.quarantine", "\xc3\xa9t\xc3\xa9 bytes");
    setRaw(b, "user.other", "o");

    const TypeMatchList sized = matches(u"com.apple.quarantine"_s, true);
    EXPECT_EQ(sized.matchCount, 2);
    EXPECT_EQ(sized.counts.totalXattrs, 3);
    QStringList lines = CrawlReport::reportTypeMatches(sized).split(u'\n').mid(2, 2);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{a + u": 9  bytes."_s, b + u": 11  bytes."_s}));

    const QString shown = CrawlReport::reportTypeMatches(matches(u"com.apple.quarantine"_s, false));
    EXPECT_TRUE(shown.contains(
        a + u":\n<30303833 3b313b78 3b>\n\u00ab0083;1;x;\u00bb\nNot a binary Plist\n\n\n"_s));
    // Not ASCII: no «…» line.
    EXPECT_TRUE(shown.contains(b + u":\n<c3a974c3 a9206279 746573>\nNot a binary Plist\n\n\n"_s));
    for (const QString& type :
         {u"COM.apple.quarantine"_s, u" com.apple.quarantine"_s, u"com.apple."_s}) {
        const TypeMatchList none = matches(type, false);
        EXPECT_EQ(none.matchCount, 0);
        EXPECT_EQ(none.counts.filesWithXattrs, 2);
    }
}

TEST_F(CrawlerTest, SizeTotalsSkipEmptyValuesAndAverageInWholeNumbers) {
    setRaw(makeFile(u"root/a"_s), "user.a", "1234");
    const QString b = makeFile(u"root/b"_s);
    setRaw(b, "user.b", "12");
    setRaw(b, "user.c", "3");
    setRaw(makeFile(u"root/empty-only"_s), "user.e", "");

    const SizeTotals result = sizes();
    EXPECT_EQ(result.totalSize, 7);
    EXPECT_EQ(result.counts.filesWithXattrs, 2);
    EXPECT_EQ(result.counts.filesScanned, 3);
    EXPECT_TRUE(CrawlReport::reportSizeTotals(result).endsWith(
        u"\nTotal size of xattrs 7 bytes.\nAverage size of xattrs 3 bytes per file with xattrs, 2 "
        u"bytes per "
        "file over all files.\n"_s));
    EXPECT_EQ(tally().counts.filesWithXattrs, 3); // the type walks count the empty one
}

// Names are bytes: one that is not UTF-8 is tallied and shown with \xHH; two spellings of one
// text are two types, and a typed one matches only one name per item.
TEST_F(CrawlerTest, NamesAreCrawledAsTheirBytes) {
    const QString file = makeFile(u"root/f"_s);
    setRaw(file, "user.bad\xff", "v");
    setRaw(file, "user.caf\xc3\xa9", "nfc");
    setRaw(file, "user.cafe\xcc\x81", "nfd");
    const TypeTally all = tally();
    EXPECT_EQ(all.types.size(), 3);
    EXPECT_EQ(all.counts.totalXattrs, 3);
    EXPECT_TRUE(CrawlReport::reportTypeTally(all).contains(u"user.bad\\xff in "_s + file));
    const TypeMatchList one = matches(u"user.cafe\u0301"_s, true);
    EXPECT_EQ(one.matchCount, 1);
    EXPECT_EQ(CrawlReport::reportTypeMatches(one).section(u'\n', 2, 2), file + u": 3  bytes."_s);
    const TypeMatchList typedBytes = matches(ByteText::decode("user.bad\xff"), true);
    EXPECT_EQ(typedBytes.matchCount, 1);
    EXPECT_TRUE(CrawlReport::reportTypeMatches(typedBytes).contains(u"of type user.bad\\xff\n"_s));
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(CrawlerTest, AStoppedCrawlSaysSo) {
    makeFile(u"root/a"_s);
    std::atomic_bool stop = true;
    FolderWalk::Options options;
    options.stop = &stop;
    QString error;
    const auto result = Crawler::crawlSizes(m_root, options, {}, &error);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->counts.filesScanned, 0);
    EXPECT_TRUE(CrawlReport::reportSizeTotals(*result).endsWith(
        u"over all files.\n\nStopped before the end of the walk.\n"_s));
}
