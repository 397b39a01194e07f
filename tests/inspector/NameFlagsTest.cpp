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
}

TEST_F(NameFlagsTest, AddingAndStrippingMoveValuesToTheNewNames) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "value a");
    setRaw(file, "user.b#X", QByteArray("\x00\xff", 2));
    EXPECT_TRUE(NameFlags::addNameFlags(file, {u"user.a"_s, u"user.b#X"_s}, u"S"_s).isEmpty());
    EXPECT_EQ(getRaw(file, "user.a#S"), "value a");
    EXPECT_EQ(getRaw(file, "user.b#X#S"), QByteArray("\x00\xff", 2));
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 2);

    EXPECT_TRUE(NameFlags::stripNameFlags(file, {u"user.b#X#S"_s}).isEmpty());
    EXPECT_EQ(getRaw(file, "user.b"), QByteArray("\x00\xff", 2));
    EXPECT_FALSE(hasRaw(file, "user.b#X#S"));

    EXPECT_TRUE(
        NameFlags::addNameFlags(file, {u"user.b"_s}, QString()).isEmpty()); // nothing to add
    EXPECT_TRUE(hasRaw(file, "user.b"));
}

TEST_F(NameFlagsTest, EachFailingAttributeGivesTheFixedMessage) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.base#A", "first");
    setRaw(file, "user.base#B", "second");
    setRaw(file, "user.plain", "p");
    EXPECT_EQ(NameFlags::stripNameFlags(
                  file, {u"user.base#A"_s, u"user.gone#Z"_s, u"user.plain"_s, u"user.base#B"_s}),
              QStringList{u"Can't strip flags"_s});
    EXPECT_EQ(getRaw(file, "user.base"), "second"); // the later one wins
    EXPECT_EQ(getRaw(file, "user.plain"), "p");
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 2);
    EXPECT_EQ(NameFlags::addNameFlags(file, {u"user.gone"_s}, u"F"_s),
              QStringList{u"Can't add flags"_s});
}
