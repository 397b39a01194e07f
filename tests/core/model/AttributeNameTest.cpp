#include "core/model/AttributeName.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(AttributeNameTest, ValidUtf8IsShownAsTextAndEveryOtherByteAsHex) {
    const std::pair<QByteArray, QString> cases[] = {
        {"user.plain", u"user.plain"_s},
        {"user.caf\xc3\xa9", u"user.café"_s},
        {"user.cafe\xcc\x81", u"user.cafe\u0301"_s}, // NFD stays as listed
        {"user.\xf0\x9f\x98\x80", u"user.\U0001F600"_s},
        {"user.bad\xff", u"user.bad\\xff"_s},
        {"user.\xc0\xaf", u"user.\\xc0\\xaf"_s},                   // overlong '/'
        {"user.\xed\xa0\x80x", u"user.\\xed\\xa0\\x80x"_s},        // CESU surrogate
        {"user.\xf4\x90\x80\x80", u"user.\\xf4\\x90\\x80\\x80"_s}, // beyond U+10FFFF
        {"user.cut\xe2\x82", u"user.cut\\xe2\\x82"_s},             // sequence cut off at the end
        {"user.\xe2\x82\xac\x80\xc3\xa9", u"user.€\\x80é"_s}, // resynchronises after a bad byte
    };
    for (const auto& [listed, shown] : cases)
        EXPECT_EQ(displayName(listed), shown) << listed.toHex().constData();
}

// What list shows, typed back, is the name itself: for every byte, in every position.
TEST(AttributeNameTest, ADisplayedNameTypedBackGivesItsBytes) {
    for (int byte = 1; byte < 256; ++byte) {
        for (const QByteArray& name :
             {QByteArray(1, char(byte)), "user." + QByteArray(1, char(byte)) + "x",
              "u\xc3" + QByteArray(1, char(byte)) + "\\"}) {
            const TypedName typed = typedName(displayName(name));
            EXPECT_EQ(typed.name, name) << name.toHex().constData();
        }
    }
    // Both cases of hex digits, and text that is no escape at all.
    EXPECT_EQ(typedName(u"user.\\x4A\\x4a\\\\x"_s).name, QByteArray("user.JJ\\x"));
    EXPECT_EQ(typedName(u"caf\u00e9"_s).name, QByteArray("caf\xc3\xa9"));

    // A backslash that starts no escape is not guessed at; nor is a NUL, which no name holds.
    const QString hint = u"\u201d in a name: a backslash is typed as \\\\, a byte as \\xHH"_s;
    const std::pair<QString, QString> refused[] = {
        {u"user.a\\b"_s, u"\u201c\\b"_s + hint},
        {u"user.a\\"_s, u"\u201c\\"_s + hint},
        {u"user.\\x4"_s, u"\u201c\\x"_s + hint},
        {u"user.\\xg0"_s, u"\u201c\\x"_s + hint},
        {u"user.\\X41"_s, u"\u201c\\X"_s + hint},
        {u"user.\\\x1b"_s, u"\u201c\\\\x1b"_s + hint},
        {u"user.\\x00"_s, u"a name cannot hold the byte \\x00"_s},
    };
    for (const auto& [typed, problem] : refused) {
        const TypedName result = typedName(typed);
        EXPECT_EQ(result.name, std::nullopt) << typed.toStdString();
        EXPECT_EQ(result.problem, problem);
    }
}
