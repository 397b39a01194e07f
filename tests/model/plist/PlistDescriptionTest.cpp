#include "model/plist/PlistDescription.h"

#include "model/plist/OpenStepPlistReader.h"
#include "support/PlistTestSupport.h"

#include <limits>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using plisttest::secondsSince2001;

namespace {

using V = PlistValue;

V s(const QString& text) {
    return V::string(text);
}

} // namespace

TEST(PlistDescription, ReproducesFoundationsLayout) {
    const struct {
        V value;
        QString expected;
    } cases[] = {
        {V::array({}), u"(\n)"_s},
        {V::dictionary({}), u"{\n}"_s},
        {V::array({V::array({V::integer(1)})}), u"(\n        (\n        1\n    )\n)"_s},
        {V::dictionary(
             {{u"key"_s, s(u"value"_s)}, {u"list"_s, V::array({V::integer(1), V::integer(2)})}}),
         u"{\n    key = value;\n    list =     (\n        1,\n        2\n    );\n}"_s},
        {V::array({V::dictionary({{u"a"_s, V::integer(1)}}), s(u"x"_s)}),
         u"(\n        {\n        a = 1;\n    },\n    x\n)"_s},
        // Keys in UTF-16 order, quoted like any leaf.
        {V::dictionary({{u"apple"_s, V::integer(1)},
                        {u"\u00e9"_s, V::integer(2)},
                        {u"Zed"_s, V::integer(3)},
                        {u"a b"_s, V::integer(4)},
                        {u""_s, V::integer(5)}}),
         u"{\n    \"\" = 5;\n    Zed = 3;\n    \"a b\" = 4;\n    apple = 1;\n"
         "    \"\\U00e9\" = 2;\n}"_s},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(PlistDescription::describe(value), expected) << qPrintable(expected);
}

TEST(PlistDescription, RendersLeavesAloneAndInsideCollections) {
    const struct {
        V value;
        QString alone;  // at the top level
        QString inside; // as an array element
    } cases[] = {
        {s(u"abc123"_s), u"abc123"_s, u"abc123"_s},
        {s({}), u""_s, u"\"\""_s},
        {s(u"a_b"_s), u"a_b"_s, u"\"a_b\""_s},
        {s(u"caf\u00e9 \U0001F600"_s), u"caf\u00e9 \U0001F600"_s,
         u"\"caf\\U00e9 \\Ud83d\\Ude00\""_s},
        {s(u"\"\\\n\t\r\x01\x1f\x7f/"_s), u"\"\\\n\t\r\x01\x1f\x7f/"_s,
         u"\"\\\"\\\\\\n\\t\\r\\U0001\\U001f\\U007f/\""_s},
        {V::boolean(true), u"1"_s, u"1"_s},
        {V::integer(-1), u"-1"_s, u"\"-1\""_s},
        {V::unsignedInteger(1ULL << 63), u"9223372036854775808"_s, u"9223372036854775808"_s},
        {V::real(1.0), u"1"_s, u"1"_s},
        {V::real(1e20), u"1e+20"_s, u"\"1e+20\""_s},
        {V::real(double(0.1f)), u"0.1000000014901161"_s, u"\"0.1000000014901161\""_s},
        {V::singleReal(3.14159274f), u"3.141593"_s, u"\"3.141593\""_s},
        {V::date(0), u"2001-01-01 00:00:00 +0000"_s, u"\"2001-01-01 00:00:00 +0000\""_s},
        {V::date(-0.5), u"2000-12-31 23:59:59 +0000"_s, u"\"2000-12-31 23:59:59 +0000\""_s},
        {V::date(secondsSince2001(1, 1, 1, 0, 0, 0) - 1), u"0000-12-31 23:59:59 +0000"_s,
         u"\"0000-12-31 23:59:59 +0000\""_s},
        // A date beyond the calendar's reach shows its seconds.
        {V::date(std::numeric_limits<double>::quiet_NaN()), u"nan"_s, u"nan"_s},
        {V::date(-1e300), u"-1e+300"_s, u"\"-1e+300\""_s},
        {V::data("Hello"), u"<48656c6c 6f>"_s, u"<48656c6c 6f>"_s},
        {V(), u"<null>"_s, u"\"<null>\""_s},
        {V::uid(3), u"{value = 3}"_s, u"{value = 3}"_s},
    };
    for (const auto& [value, alone, inside] : cases) {
        EXPECT_EQ(PlistDescription::describe(value), alone) << qPrintable(alone);
        EXPECT_EQ(PlistDescription::describe(V::array({value})), u"(\n    "_s + inside + u"\n)"_s)
            << qPrintable(alone);
    }
}

TEST(PlistDescription, HexTextGroupsFourBytes) {
    const QByteArray bytes = QByteArray::fromHex("abcdef01020304050607");
    EXPECT_EQ(PlistDescription::hexText({}), u"<>"_s);
    EXPECT_EQ(PlistDescription::hexText(bytes.first(4)), u"<abcdef01>"_s);
    EXPECT_EQ(PlistDescription::hexText(bytes), u"<abcdef01 02030405 0607>"_s);
}

TEST(PlistDescription, RefusesDescriptionsBeyondTheLengthLimit) {
    // Well inside the readers' limits, but its indentation alone would take gigabytes.
    V tree = V::array(V::Array(100'000, s(u"x"_s)));
    for (int level = 0; level < 400; ++level)
        tree = V::array({tree});
    EXPECT_EQ(PlistDescription::describe(tree), std::nullopt);
    EXPECT_TRUE(PlistDescription::describe(V::array(V::Array(1000, V::integer(1)))));
}
