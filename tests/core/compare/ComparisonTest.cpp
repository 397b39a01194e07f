#include "core/compare/Comparison.h"

#include "core/model/XattrAccess.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using Pairs = QList<std::pair<QByteArray, QByteArray>>;

class ComparisonTest : public XattrFixture {
protected:
    QString withAttributes(const Pairs& attributes) {
        const QString file = makeFile(u"f%1"_s.arg(++m_files));
        for (const auto& [name, value] : attributes)
            setRaw(file, name, value);
        return file;
    }

    int m_files = 0;
};

// The first item's names in its list order, then the second's own, each read under its own
// spelling; an item that cannot be listed gives its error and no lines.
TEST_F(ComparisonTest, TheTwoPassesFollowEachItemsListOrderAndMatchNamesByBytes) {
    // user.c differs at the same size, user.e only in length.
    const QString a = withAttributes(
        {{"user.a", "same"}, {"user.b", "only here"}, {"user.c", "one"}, {"user.e", "abc"}});
    const QString b = withAttributes(
        {{"user.c", "two"}, {"user.e", "ab"}, {"user.a", "same"}, {"user.d", "only there"}});
    QString expected, itself;
    const QList<QByteArray> names = listXattrs(nativePath(a)).value();
    for (const QByteArray& name : names) {
        expected += QString::fromUtf8(name) + (name == "user.a"   ? u" are the same\n"_s
                                               : name == "user.b" ? u" is not in second file\n"_s
                                                                  : u" are different\n"_s);
        itself += QString::fromUtf8(name) + u" are the same\n"_s;
    }
    EXPECT_EQ(Comparison::compare(a, b).lines, expected + u"user.d is not in first file\n"_s);
    EXPECT_EQ(Comparison::compare(a, a).lines, itself);
    EXPECT_TRUE(
        Comparison::compare(withAttributes({{"user.a", "same"}}), a)
            .lines.startsWith(u"The number of xattrs is different.\nuser.a are the same\n"_s));
    EXPECT_TRUE(Comparison::compare(a, withAttributes({{"user.a", "same"}}))
                    .lines.startsWith(u"The number of xattrs is different.\n"_s));
    const Comparison::Result missing = Comparison::compare(pathOf(u"missing"_s), a);
    EXPECT_EQ(missing.lines, QString());
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->text(), u"compare error: No such file or directory (\u201c"_s +
                                           pathOf(u"missing"_s) + u"\u201d)"_s);

    // Names match by their bytes first, then by an equivalent spelling; names that are not UTF-8
    // show with \xHH.
    const QByteArray nfc = "user.caf\xc3\xa9", nfd = "user.cafe\xcc\x81";
    const struct {
        Pairs first, second;
        QString lines;
    } cases[] = {
        {{{nfc, "v"}}, {{nfd, "w"}}, u"user.caf\u00e9 are different\n"_s},
        {{{nfc, "v"}}, {{nfd, "v"}}, u"user.caf\u00e9 are the same\n"_s},
        {{{"user.bad\xff", "v"}},
         {{"user.bad\xfe", "v"}},
         u"user.bad\\xff is not in second file\nuser.bad\\xfe is not in first file\n"_s},
        {{{"user.bad\xff", "v"}}, {{"user.bad\xff", "v"}}, u"user.bad\\xff are the same\n"_s},
    };
    for (const auto& c : cases) {
        const Comparison::Result result =
            Comparison::compare(withAttributes(c.first), withAttributes(c.second));
        EXPECT_EQ(result.lines, c.lines);
        EXPECT_FALSE(result.failure) << c.lines.toStdString();
    }

    // Both spellings on one side: the one with the same bytes pairs, the other is alone.
    const QString lines = Comparison::compare(withAttributes({{nfc, "nfc"}, {nfd, "nfd"}}),
                                              withAttributes({{nfd, "nfd"}}))
                              .lines;
    EXPECT_TRUE(lines.contains(u"user.cafe\u0301 are the same\n"_s)) << lines.toStdString();
    EXPECT_TRUE(lines.contains(u"user.caf\u00e9 is not in second file\n"_s));
    EXPECT_FALSE(lines.contains(u"first file"_s));
}
