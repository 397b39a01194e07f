#include "core/model/ByteText.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(ByteTextTest, EveryByteSurvivesTheTripThroughText) {
    const std::pair<QByteArray, QString> cases[] = {
        {"", u""_s},
        {"/tmp/caf\xc3\xa9", u"/tmp/café"_s},
        {"/tmp/x\xff", u"/tmp/x\xdcff"_s},
        {"\xed\xa0\x80", u"\xdced\xdca0\xdc80"_s}, // an encoded surrogate is three bytes
        {"a\xc0\xaf\xe2\x82\xac", u"a\xdcc0\xdcaf€"_s},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ByteText::decode(bytes), text) << bytes.toHex().constData();
        EXPECT_EQ(ByteText::encode(text), bytes);
    }
    for (int byte = 0; byte < 256; ++byte) {
        const QByteArray one(1, char(byte));
        EXPECT_EQ(ByteText::encode(ByteText::decode("x" + one + "y")), "x" + one + "y") << byte;
    }
}
