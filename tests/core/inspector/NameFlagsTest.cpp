#include "core/inspector/NameFlags.h"

#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using NameFlagsTest = XattrFixture;

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
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFlags::baseName(c.name), c.base) << c.name.toStdString();
    // Names that are not UTF-8 are cut at their first "#" byte.
    EXPECT_EQ(NameFlags::baseName(QByteArray("user.b\xff#x#y")), QByteArray("user.b\xff"));
    EXPECT_EQ(NameFlags::baseName(QByteArray("user.b\xff")), std::nullopt);
}

// Renames move values to the new names, bytes and all, but never replace the attribute in the
// way: that one stays as it was, and the failure names it. When some names failed, the others that
// were renamed are listed with them, so the message says name by name what changed and what not.
TEST_F(NameFlagsTest, RenamesMoveValuesButNeverReplaceANameInTheWay) {
    const QString file = makeFile(u"f"_s);
    const Attributes start = {{"user.a", "ORIGINAL"},
                              {"user.a#x", "FLAGGED"},
                              {"user.b", "b"},
                              {"user.b#F", "b flagged"},
                              {"user.c#y", "c"}};
    for (auto it = start.cbegin(); it != start.cend(); ++it)
        setRaw(file, it.key(), it.value());
    setRaw(file, "user.n", "value n");
    setRaw(file, "user.m#X", QByteArray("\x00\xff", 2));
    setRaw(file, "user.bad\xff", "raw");
    EXPECT_TRUE(NameFlags::addNameFlags(file, {"n", "user.m#X", "user.bad\xff"}, "S").isEmpty());
    EXPECT_TRUE(NameFlags::stripNameFlags(file, {"user.m#X#S", "user.bad\xff#S"}).isEmpty());
    EXPECT_TRUE(NameFlags::addNameFlags(file, {"user.m"}, {}).isEmpty()); // nothing to add
    Attributes end = start;
    end.insert({{"user.n#S", "value n"}, {"user.m", {"\x00\xff", 2}}, {"user.bad\xff", "raw"}});

    const auto on = [&file](const QString& text, const QString& name) {
        return text + u" (attribute \u201c"_s + name + u"\u201d of \u201c"_s + file + u"\u201d)"_s;
    };
    const QString inTheWay =
        u"an attribute of that name already exists, so \u201c%1\u201d was left as it was"_s;
    EXPECT_EQ(textsOf(NameFlags::stripNameFlags(
                  file, {"user.a#x", "user.c#y", "user.gone#Z", "user.plain"})),
              (QStringList{on(u"Can't strip flags: "_s + inTheWay.arg(u"user.a#x"_s), u"user.a"_s),
                           on(u"Flags stripped, renamed to \u201cuser.c\u201d"_s, u"user.c#y"_s),
                           on(u"Can't strip flags: No data available"_s, u"user.gone#Z"_s),
                           // Nothing to strip, but not there either (as a typed name may be).
                           on(u"Can't strip flags: No data available"_s, u"user.plain"_s)}));
    EXPECT_EQ(textsOf(NameFlags::addNameFlags(file, {"user.b", "user.gone"}, "F")),
              (QStringList{on(u"Can't add flags: "_s + inTheWay.arg(u"user.b"_s), u"user.b#F"_s),
                           on(u"Can't add flags: No data available"_s, u"user.gone"_s)}));
    // Without a failure there is nothing to say.
    EXPECT_TRUE(NameFlags::addNameFlags(file, {"user.c"}, "y").isEmpty());
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)), end);
}
