#include "compare/Comparison.h"

#include "model/XattrAccess.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class ComparisonTest : public XattrFixture {
protected:
    // The lines after the header, for two files carrying the given attributes.
    QString linesFor(const QList<std::pair<QByteArray, QByteArray>>& first,
                     const QList<std::pair<QByteArray, QByteArray>>& second) {
        const QString a = makeFile(u"first-%1"_s.arg(++m_files));
        const QString b = makeFile(u"second-%1"_s.arg(m_files));
        for (const auto& [name, value] : first)
            setRaw(a, name, value);
        for (const auto& [name, value] : second)
            setRaw(b, name, value);
        const Comparison::Result result = Comparison::compare(a, b);
        EXPECT_FALSE(result.error);
        return result.lines;
    }

    int m_files = 0;
};

} // namespace

TEST_F(ComparisonTest, ReportsNamesOnOneSideAndWhetherSharedValuesAreTheSame) {
    // With a single attribute per side the system's order cannot reorder the lines.
    const struct {
        const char* label;
        QList<std::pair<QByteArray, QByteArray>> first, second;
        QString lines;
    } cases[] = {
        {"no attributes", {}, {}, QString()},
        {"equal values", {{"user.a", "v"}}, {{"user.a", "v"}}, u"user.a are the same\n"_s},
        {"empty values", {{"user.a", ""}}, {{"user.a", ""}}, u"user.a are the same\n"_s},
        {"one byte differs", {{"user.a", "abc"}}, {{"user.a", "abd"}}, u"user.a are different\n"_s},
        {"a prefix", {{"user.a", "abc"}}, {{"user.a", "ab"}}, u"user.a are different\n"_s},
        {"first only",
         {{"user.a", "v"}},
         {},
         u"The number of xattrs is different.\nuser.a is not in second file\n"_s},
        {"second only",
         {},
         {{"user.b", "v"}},
         u"The number of xattrs is different.\nuser.b is not in first file\n"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesFor(c.first, c.second), c.lines) << c.label;
}

TEST_F(ComparisonTest, NamesMatchByBytesFirstAndEachItemIsReadUnderItsOwnSpelling) {
    const struct {
        const char* label;
        QList<std::pair<QByteArray, QByteArray>> first, second;
        QString lines;
    } cases[] = {
        {"NFC against NFD, values differ",
         {{"user.caf\xc3\xa9", "v"}},
         {{"user.cafe\xcc\x81", "w"}},
         u"user.caf\u00e9 are different\n"_s},
        {"NFC against NFD, values equal",
         {{"user.caf\xc3\xa9", "v"}},
         {{"user.cafe\xcc\x81", "v"}},
         u"user.caf\u00e9 are the same\n"_s},
        {"a name that is not UTF-8 only on one side",
         {{"user.bad\xff", "v"}},
         {},
         u"The number of xattrs is different.\nuser.bad\\xff is not in second file\n"_s},
        {"a name that is not UTF-8 on both sides",
         {{"user.bad\xff", "v"}},
         {{"user.bad\xff", "v"}},
         u"user.bad\\xff are the same\n"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesFor(c.first, c.second), c.lines) << c.label;

    // Both spellings on one side: the one with the same bytes pairs, the other is alone.
    const QString a = makeFile(u"both"_s);
    const QString b = makeFile(u"one"_s);
    setRaw(a, "user.caf\xc3\xa9", "nfc");
    setRaw(a, "user.cafe\xcc\x81", "nfd");
    setRaw(b, "user.cafe\xcc\x81", "nfd");
    const Comparison::Result result = Comparison::compare(a, b);
    EXPECT_FALSE(result.error);
    EXPECT_TRUE(result.lines.contains(u"user.cafe\u0301 are the same\n"_s))
        << result.lines.toStdString();
    EXPECT_TRUE(result.lines.contains(u"user.caf\u00e9 is not in second file\n"_s));
    EXPECT_FALSE(result.lines.contains(u"first file"_s));
}

TEST_F(ComparisonTest, TheTwoPassesFollowEachItemsListOrder) {
    const QString a = makeFile(u"a"_s);
    const QString b = makeFile(u"b"_s);
    setRaw(a, "user.a", "same");
    setRaw(a, "user.b", "only here");
    setRaw(a, "user.c", "one");
    setRaw(b, "user.c", "two");
    setRaw(b, "user.a", "same");
    setRaw(b, "user.d", "only there");
    QString expected;
    for (const QByteArray& name : listXattrs(nativePath(a)))
        expected += QString::fromUtf8(name) + (name == "user.a"   ? u" are the same\n"_s
                                               : name == "user.b" ? u" is not in second file\n"_s
                                                                  : u" are different\n"_s);
    expected += u"user.d is not in first file\n"_s;
    EXPECT_EQ(Comparison::compare(a, b).lines, expected);
    EXPECT_EQ(Comparison::header(u"/x/one"_s, u"/y/two"_s), u"Comparing /x/one with /y/two :\n"_s);

    QString itself;
    for (const QByteArray& name : listXattrs(nativePath(a)))
        itself += QString::fromUtf8(name) + u" are the same\n"_s;
    EXPECT_EQ(Comparison::compare(a, a).lines, itself);

    const QString folder = makeFolder(u"folder"_s);
    setRaw(folder, "user.a", "same");
    EXPECT_TRUE(
        Comparison::compare(folder, a).lines.startsWith(u"The number of xattrs is different.\n"_s));
}

TEST_F(ComparisonTest, AFailingListingKeepsWhatWasWritten) {
    const Comparison::Result result = Comparison::compare(pathOf(u"missing"_s), makeFile(u"b"_s));
    EXPECT_EQ(result.lines, QString());
    EXPECT_EQ(result.error, u"compare error: No such file or directory (\u201c"_s +
                                pathOf(u"missing"_s) + u"\u201d)"_s);
}
