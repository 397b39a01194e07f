#include "core/crawler/CrawlReport.h"
#include "core/model/ByteText.h"
#include "core/model/HexCodec.h"
#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/xattr.h>

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class CrawlerTest : public XattrFixture {
protected:
    // One walk of the root with m_options, which must show no error line.
    template <typename Walk, typename... Arguments> auto walked(Walk walk, Arguments... arguments) {
        QStringList lines;
        const auto result = walk(
            m_root, arguments..., m_options, [&lines](const QString& line) { lines.append(line); },
            CrawlChoice());
        EXPECT_TRUE(result) << lineOf(result).toStdString();
        EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
        return *result;
    }
    TypeTally tally() { return walked(&Crawler::crawlAllTypes); }
    TypeMatchList matches(const QString& type, bool showSizes) {
        return walked(&Crawler::crawlOneType, type, showSizes);
    }
    SizeTotals sizes() { return walked(&Crawler::crawlSizes); }

    const QString m_root = makeFolder(u"root"_s);
    FolderWalk::Options m_options;
};

// Each walk's report of an empty folder; the tally counts carriers and keeps the first one; the
// size totals skip empty values and average in whole numbers; a stopped walk says so.
TEST_F(CrawlerTest, TallyAndSizeTotalsOfAnEmptyAFullAndAStoppedWalk) {
    setRaw(m_root, "user.own", "never read"); // the folder's own attributes are not walked
    const QString head = u"Found 0 files with xattrs out of 0 scanned in "_s + m_root;
    EXPECT_EQ(CrawlReport::reportTypeTally(tally()),
              head + u" 0 total xattrs.\nThere are 0 Xattr types\n\n"_s);
    EXPECT_EQ(CrawlReport::reportTypeMatches(matches(u"own"_s, false)),
              head + u" 0 total xattrs, and 0 of type own\n\n"_s);
    const QString noSizes = head +
                            u"\nTotal size of xattrs 0 bytes.\nAverage size of xattrs 0 "
                            u"bytes per file with xattrs, 0 bytes per file over all files.\n"_s;
    EXPECT_EQ(CrawlReport::reportSizeTotals(sizes()), noSizes);

    makeFolder(u"root/sub"_s);
    const QString a = makeFile(u"root/a"_s);
    const QString b = makeFile(u"root/sub/b"_s);
    const QString c = makeFile(u"root/sub/c"_s);
    setRaw(a, "user.Z", "upper");
    setRaw(a, "user.empty", "");
    setRaw(b, "user.empty", "not empty, here.");
    setRaw(c, "user.bin", QByteArray("\xff\x00", 2));
    setRaw(makeFile(u"root/empty-only"_s), "user.e", "");
    ASSERT_TRUE(QFile::link(a, m_root + u"/link"_s)); // never counted

    const TypeTally result = tally();
    EXPECT_EQ(result.types.value("user.empty").occurrences, 2);
    // The first carrier in walk order, which follows the system's listing of each folder.
    const QString first = QString::fromUtf8(result.types.value("user.empty").firstPath);
    EXPECT_TRUE(first == a || first == b);
    EXPECT_EQ(result.types.value("user.empty").firstData, getRaw(first, "user.empty"));
    const QString report = CrawlReport::reportTypeTally(result);
    EXPECT_TRUE(report.startsWith(u"Found 4 files with xattrs out of 5 scanned in "_s + m_root +
                                  u" 5 total xattrs.\nThere are 4 Xattr types\n\n"_s));
    EXPECT_TRUE(report.contains(u"user.Z in "_s + a +
                                u" count 1:\n<75707065 72>\n\u00abupper\u00bb\n\n"_s));
    EXPECT_TRUE(
        report.contains(u"user.bin in "_s + c + u" count 1:\n<ff00>\n\n"_s)); // no ASCII line
    EXPECT_LT(report.indexOf(u"user.Z "_s), report.indexOf(u"user.bin "_s));  // capitals sort first
    // Two spellings of one text sort by their bytes (NFD first), whatever the hash's order; a
    // fresh seed per round gives the hash either order.
    for (int round = 0; round < 16; ++round) {
        QHashSeed::resetRandomGlobalSeed();
        TypeTally lookAlikes;
        lookAlikes.types.insert("user.caf\xc3\xa9", {"nfc", a.toUtf8(), 1});
        lookAlikes.types.insert("user.cafe\xcc\x81", {"nfd", a.toUtf8(), 1});
        const QString text = CrawlReport::reportTypeTally(lookAlikes);
        EXPECT_LT(text.indexOf(u"\u0301 in"_s), text.indexOf(u"\u00e9 in"_s)) << round;
    }
    EXPECT_EQ(CrawlReport::reportSizeTotals(sizes()),
              u"Found 3 files with xattrs out of 5 scanned in "_s + m_root +
                  u"\nTotal size of xattrs 23 bytes.\nAverage size of xattrs 7 bytes per file "
                  u"with xattrs, 4 bytes per file over all files.\n"_s);

    std::atomic_bool stop = true;
    m_options.stop = &stop;
    EXPECT_EQ(CrawlReport::reportSizeTotals(sizes()),
              noSizes + u"\nStopped before the end of the walk.\n"_s);
}

// One name per item matches, by its bytes: one that is not UTF-8 is typed as ByteText and shown
// with \xHH; of two spellings of one text only the typed one. Values are shown in hex and as text
// where they are ASCII, or only their sizes.
TEST_F(CrawlerTest, OneTypeMatchesOneNamePerItemByItsBytes) {
    const QString a = makeFile(u"root/a"_s);
    const QString b = makeFile(u"root/b"_s);
    setRaw(a, "user.com.apple.quarantine", "0083;1;x;");
    setRaw(b, "user.com.apple.quarantine", "\xc3\xa9t\xc3\xa9 bytes");
    setRaw(b, "user.bad\xff", "v");
    setRaw(b, "user.caf\xc3\xa9", "nfc");
    setRaw(b, "user.cafe\xcc\x81", "nfd");
    const QString head =
        u"Found 2 files with xattrs out of 2 scanned in "_s + m_root + u" 5 total xattrs, and "_s;

    QStringList sized =
        CrawlReport::reportTypeMatches(matches(u"com.apple.quarantine"_s, true)).split(u'\n');
    EXPECT_EQ(sized.takeFirst(), head + u"2 of type com.apple.quarantine"_s);
    sized.sort();
    EXPECT_EQ(sized, (QStringList{u""_s, u""_s, a + u": 9  bytes."_s, b + u": 11  bytes."_s}));
    const QString shown = CrawlReport::reportTypeMatches(matches(u"com.apple.quarantine"_s, false));
    EXPECT_TRUE(shown.contains(
        a + u":\n<30303833 3b313b78 3b>\n\u00ab0083;1;x;\u00bb\nNot a binary Plist\n\n\n"_s));
    // Not ASCII: no «…» line.
    EXPECT_TRUE(shown.contains(b + u":\n<c3a974c3 a9206279 746573>\nNot a binary Plist\n\n\n"_s));
    for (const QString& type :
         {u"COM.apple.quarantine"_s, u" com.apple.quarantine"_s, u"com.apple."_s})
        EXPECT_TRUE(CrawlReport::reportTypeMatches(matches(type, false))
                        .startsWith(head + u"0 of type "_s));

    EXPECT_EQ(CrawlReport::reportTypeMatches(matches(u"user.cafe\u0301"_s, true)),
              head + u"1 of type user.cafe\u0301\n\n"_s + b + u": 3  bytes.\n"_s);
    EXPECT_EQ(CrawlReport::reportTypeMatches(matches(ByteText::decode("user.bad\xff"), true)),
              head + u"1 of type user.bad\\xff\n\n"_s + b + u": 1  bytes.\n"_s);
    const TypeTally all = tally();
    EXPECT_EQ(all.types.size(), 4);
    EXPECT_TRUE(CrawlReport::reportTypeTally(all).contains(u"user.bad\\xff in "_s + b));
}

// The first item carrying a name (in walk order, which is the order the folder lists them) lets
// its value be listed but not read; a later one can be read and is the name's first carrier, and
// the first one's failure is its error line. Run as a user the permissions apply to.
TEST_F(CrawlerTest, ANameWhoseFirstValueCannotBeReadIsCarriedFirstByTheNextOneThatCan) {
    for (int i = 0; i < 8; ++i)
        setRaw(makeFile(u"root/f%1"_s.arg(i)), "user.x", "value " + QByteArray::number(i));
    // The walk's order is the order the system lists the folder in.
    QStringList listed;
    DIR* dir = ::opendir(QFile::encodeName(m_root).constData());
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.')
            listed.append(QFile::decodeName(entry->d_name));
    ::closedir(dir);
    ASSERT_EQ(listed.size(), 8);
    QFile::setPermissions(m_root + u'/' + listed[0], {}); // listed, not readable
    QFile::setPermissions(m_root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadOther | QFile::ExeOther);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        const QByteArray tally = outputAsAnotherUser(m_root, [threads] {
            QStringList lines;
            FolderWalk::Options options;
            options.threads = threads;
            const Result<TypeTally> result = Crawler::crawlAllTypes(
                u"."_s, options, [&lines](const QString& line) { lines.append(line); });
            if (!result)
                return lineOf(result).toUtf8();
            const TypeTally::Type x = result->types.value("user.x");
            return (lines.join(u'\n') + u'\n' + QString::fromUtf8(x.firstPath) + u' ' +
                    QString::number(x.occurrences) + u' ')
                       .toUtf8() +
                   x.firstData;
        });
        EXPECT_EQ(QString::fromUtf8(tally),
                  u"./"_s + listed[0] + u": user.x: Permission denied\n./"_s + listed[1] +
                      u" 7 "_s + QString::fromUtf8(getRaw(m_root + u'/' + listed[1], "user.x")));
    }
}

// A value that is what its name promises is shown as that in both reports, instead of as ASCII
// or as a property list; one that is not says why before the usual lines.
TEST_F(CrawlerTest, ValuesAreShownAsTheStructureTheirNamesPromise) {
    const QString a = makeFile(u"root/a"_s);
    runTool(u"setfacl"_s, {u"-m"_s, u"u:nobody:r--"_s, a});
    const QString acl = u"Access control list:\nuser::rw-\nuser:nobody:r--\ngroup::r--\n"
                        u"mask::r--\nother::r--\n"_s;
    const QString hex = HexCodec::grouped(getRaw(a, "system.posix_acl_access")) + u'\n';
    EXPECT_TRUE(CrawlReport::reportTypeMatches(matches(u"system.posix_acl_access"_s, false))
                    .endsWith(u"\n\n"_s + a + u":\n"_s + hex + acl + u"\n\n"_s));
    EXPECT_TRUE(CrawlReport::reportTypeTally(tally()).contains(
        u"system.posix_acl_access in "_s + a + u" count 1:\n"_s + hex + acl + u'\n'));

    // Integrity values can be written by root where no integrity policy is enforced.
    const QByteArray bad = QByteArray::fromHex("ff626164");
    if (::setxattr(QFile::encodeName(a).constData(), "security.ima", bad.constData(),
                   size_t(bad.size()), 0) != 0)
        GTEST_SKIP() << "security.ima cannot be written here: " << std::strerror(errno);
    const QString why = u"<ff626164>\nNot integrity data: its type 255 is unknown.\n"_s;
    EXPECT_TRUE(CrawlReport::reportTypeMatches(matches(u"security.ima"_s, false))
                    .endsWith(a + u":\n"_s + why + u"Not a binary Plist\n\n\n"_s));
    EXPECT_TRUE(CrawlReport::reportTypeTally(tally()).contains(u"security.ima in "_s + a +
                                                               u" count 1:\n"_s + why + u'\n'));
}
