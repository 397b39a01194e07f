#include "inspector/NameFlags.h"

#include "model/XattrAccess.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class NameFlagsTest : public XattrFixture {};

} // namespace

TEST(NameFlagsBaseName, CutsAtTheFirstWholeHashCharacter) {
    const struct {
        QString name;
        std::optional<QString> base;
    } cases[] = {
        {u"user.base#X#Y"_s, u"user.base"_s},
        {u"user.plain"_s, std::nullopt},
        {u"#flag"_s, u""_s},
        {u"user.e\u0301#x"_s, u"user.e\u0301"_s},
        {u"user.a#\u0301b"_s, std::nullopt},          // "#" joined with a combining mark
        {u"user.a#\u0301b#c"_s, u"user.a#\u0301b"_s}, // the first real "#" counts
        {u"user.\U0001F600#x"_s, u"user.\U0001F600"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFlags::baseName(c.name), c.base) << c.name.toStdString();
    // Names that are not UTF-8 are cut at their first "#" byte.
    EXPECT_EQ(NameFlags::baseName(QByteArray("user.b\xff#x#y")), QByteArray("user.b\xff"));
    EXPECT_EQ(NameFlags::baseName(QByteArray("user.b\xff")), std::nullopt);
}

TEST_F(NameFlagsTest, AddingAndStrippingMoveValuesToTheNewNames) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "value a");
    setRaw(file, "user.b#X", QByteArray("\x00\xff", 2));
    setRaw(file, "user.bad\xff", "raw");
    EXPECT_TRUE(NameFlags::addNameFlags(file, {"a", "user.b#X", "user.bad\xff"}, "S").isEmpty());
    EXPECT_EQ(getRaw(file, "user.a#S"), "value a");
    EXPECT_EQ(getRaw(file, "user.b#X#S"), QByteArray("\x00\xff", 2));
    EXPECT_EQ(getRaw(file, "user.bad\xff#S"), "raw");
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 3);

    EXPECT_TRUE(NameFlags::stripNameFlags(file, {"user.b#X#S", "user.bad\xff#S"}).isEmpty());
    EXPECT_EQ(getRaw(file, "user.b"), QByteArray("\x00\xff", 2));
    EXPECT_EQ(getRaw(file, "user.bad\xff"), "raw");
    EXPECT_FALSE(hasRaw(file, "user.b#X#S"));

    EXPECT_TRUE(NameFlags::addNameFlags(file, {"user.b"}, {}).isEmpty()); // nothing to add
    EXPECT_TRUE(hasRaw(file, "user.b"));
}

// A rename never replaces the attribute in the way: that attribute stays as it was, and the
// failure names the one in the way. When some names failed, the others that were renamed are
// listed with them, so the message says name by name what changed and what did not.
TEST_F(NameFlagsTest, RenamesRefuseANameInTheWayAndEachFailureNamesItsAttribute) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "ORIGINAL");
    setRaw(file, "user.a#x", "FLAGGED");
    setRaw(file, "user.b", "b");
    setRaw(file, "user.b#F", "b flagged");
    setRaw(file, "user.c#y", "c");
    const auto texts = [](const QList<AttributeFailure>& failures) {
        QStringList lines;
        for (const AttributeFailure& failure : failures)
            lines.append(failure.text());
        return lines;
    };
    const QString where = u" of \u201c"_s + file + u"\u201d)"_s;

    EXPECT_EQ(
        texts(
            NameFlags::stripNameFlags(file, {"user.a#x", "user.c#y", "user.gone#Z", "user.plain"})),
        (QStringList{u"Can't strip flags: an attribute of that name already exists, so "
                     "\u201cuser.a#x\u201d was left as it was (attribute \u201cuser.a\u201d"_s +
                         where,
                     u"Flags stripped, renamed to \u201cuser.c\u201d (attribute "
                     "\u201cuser.c#y\u201d"_s +
                         where,
                     u"Can't strip flags: No data available (attribute "
                     "\u201cuser.gone#Z\u201d"_s +
                         where}));
    EXPECT_EQ(
        texts(NameFlags::addNameFlags(file, {"user.b", "user.gone"}, "F")),
        (QStringList{u"Can't add flags: an attribute of that name already exists, so "
                     "\u201cuser.b\u201d was left as it was (attribute \u201cuser.b#F\u201d"_s +
                         where,
                     u"Can't add flags: No data available (attribute "
                     "\u201cuser.gone\u201d"_s +
                         where}));
    // Without a failure there is nothing to say.
    EXPECT_TRUE(NameFlags::addNameFlags(file, {"user.c"}, "y").isEmpty());
    EXPECT_EQ(getRaw(file, "user.a"), "ORIGINAL");
    EXPECT_EQ(getRaw(file, "user.a#x"), "FLAGGED");
    EXPECT_EQ(getRaw(file, "user.b"), "b");
    EXPECT_EQ(getRaw(file, "user.b#F"), "b flagged");
    EXPECT_EQ(getRaw(file, "user.c#y"), "c");
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 5);
}
