#include "core/plist/PlistDescription.h"

#include <limits>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using V = PlistValue;

TEST(PlistDescription, ReproducesFoundationsLayoutAndLeaves) {
    // A value's text at the top level and as an array element, which containers leave out.
    const std::tuple<V, QString, QString> cases[] = {
        {V::array({}), u"(\n)"_s, {}},
        {V::dictionary({}), u"{\n}"_s, {}},
        {V::array({V::array({V::integer(1)})}), u"(\n        (\n        1\n    )\n)"_s, {}},
        {V::dictionary({{u"key"_s, V::string(u"value"_s)},
                        {u"list"_s, V::array({V::integer(1), V::integer(2)})}}),
         u"{\n    key = value;\n    list =     (\n        1,\n        2\n    );\n}"_s,
         {}},
        {V::array({V::dictionary({{u"a"_s, V::integer(1)}}), V::string(u"x"_s)}),
         u"(\n        {\n        a = 1;\n    },\n    x\n)"_s,
         {}},
        // Keys in UTF-16 order, quoted like any leaf.
        {V::dictionary({{u"apple"_s, V::integer(1)},
                        {u"\u00e9"_s, V::integer(2)},
                        {u"Zed"_s, V::integer(3)},
                        {u"a b"_s, V::integer(4)},
                        {u""_s, V::integer(5)}}),
         u"{\n    \"\" = 5;\n    Zed = 3;\n    \"a b\" = 4;\n    apple = 1;\n"
         "    \"\\U00e9\" = 2;\n}"_s,
         {}},
        {V::string(u"abc123"_s), u"abc123"_s, u"abc123"_s},
        {V::string({}), u""_s, u"\"\""_s},
        {V::string(u"a_b"_s), u"a_b"_s, u"\"a_b\""_s},
        {V::string(u"caf\u00e9 \U0001F600"_s), u"caf\u00e9 \U0001F600"_s,
         u"\"caf\\U00e9 \\Ud83d\\Ude00\""_s},
        {V::string(u"\"\\\n\t\r\x01\x1f\x7f/"_s), u"\"\\\n\t\r\x01\x1f\x7f/"_s,
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
        // One second before 0001-01-01.
        {V::date(-63'113'904'001.0), u"0000-12-31 23:59:59 +0000"_s,
         u"\"0000-12-31 23:59:59 +0000\""_s},
        // A date beyond the calendar's reach shows its seconds.
        {V::date(std::numeric_limits<double>::quiet_NaN()), u"nan"_s, u"nan"_s},
        {V::date(-1e300), u"-1e+300"_s, u"\"-1e+300\""_s},
        {V::data({}), u"<>"_s, u"<>"_s},
        {V::data("Hello"), u"<48656c6c 6f>"_s, u"<48656c6c 6f>"_s},
        {V::data(QByteArray::fromHex("abcdef0102030405")), u"<abcdef01 02030405>"_s,
         u"<abcdef01 02030405>"_s},
        {V(), u"<null>"_s, u"\"<null>\""_s},
        {V::uid(3), u"{value = 3}"_s, u"{value = 3}"_s},
    };
    for (const auto& [value, alone, inside] : cases) {
        EXPECT_EQ(PlistDescription::describe(value), alone) << qPrintable(alone);
        if (!inside.isNull()) {
            EXPECT_EQ(PlistDescription::describe(V::array({value})),
                      u"(\n    "_s + inside + u"\n)"_s)
                << qPrintable(alone);
        }
    }
}

TEST(PlistDescription, RefusesDescriptionsBeyondTheLengthLimit) {
    // Well inside the readers' limits, but its indentation alone would take gigabytes.
    V tree = V::array(V::Array(100'000, V::string(u"x"_s)));
    for (int level = 0; level < 400; ++level)
        tree = V::array({tree});
    EXPECT_EQ(PlistDescription::describe(tree), std::nullopt);
    EXPECT_TRUE(PlistDescription::describe(V::array(V::Array(1000, V::integer(1)))));
}
