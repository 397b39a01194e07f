#include "model/AttributeName.h"

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
