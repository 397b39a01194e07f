#include "core/model/TextDecoding.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(TextDecodingTest, Utf8IsStrictAndKeepsEveryCharacterAsciiIsSevenBits) {
    EXPECT_EQ(decodeUtf8(QByteArray("\xef\xbb\xbf") + 'a'), u"\ufeffa"_s); // a BOM stays text
    EXPECT_EQ(decodeUtf8(QByteArray("a\0b", 3)), QString(u"a\0b"_s));
    EXPECT_EQ(decodeUtf8(""), QString());
    for (const char* invalid :
         {"\xc3", "ab\xe2\x82", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff", "\x80"})
        EXPECT_FALSE(decodeUtf8(invalid)) << invalid;
    // ASCII refuses every byte above seven bits.
    EXPECT_EQ(decodeAscii(QByteArray("\x01~\x7f", 3)), u"\u0001~\u007f"_s);
    EXPECT_FALSE(decodeAscii("caf\xc3\xa9"));
    EXPECT_FALSE(decodeAscii("\x80"));
}
