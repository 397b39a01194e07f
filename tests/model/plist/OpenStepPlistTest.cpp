#include "model/plist/BinaryPlistReader.h"
#include "model/plist/OpenStepPlistReader.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using V = PlistValue;

V s(const QString& text) {
    return V::string(text);
}

V dict(V::Dictionary entries) {
    return V::dictionary(std::move(entries));
}

// Containers of the given kind nested so that the innermost, empty one sits at `depth`.
QString nested(int depth, const QString& open, const QString& close) {
    return open.repeated(depth + 1) + close.repeated(depth + 1);
}

QString printable(const QString& text) {
    return text.left(80);
}

} // namespace

TEST(OpenStepPlistReader, ReadsEachForm) {
    const struct {
        QString text;
        V expected;
    } cases[] = {
        // Documents without an object, and whitespace in all its forms.
        {u""_s, dict({})},
        {u" \t\n\v\f\r\u2028\u2029 "_s, dict({})},
        {u"// only a comment"_s, dict({})},
        {u"/* a */ /* b */"_s, dict({})},
        {u"\u2028 abc \u2029"_s, s(u"abc"_s)},
        // Strings: bare runs of [A-Za-z0-9_$/:.-] and both quotes.
        {u"Az09_$/:.-"_s, s(u"Az09_$/:.-"_s)},
        {u"/usr/bin"_s, s(u"/usr/bin"_s)},
        {u"a//b"_s, s(u"a//b"_s)}, // inside a bare string slashes are not a comment
        {uR"("a 'b' ( ) = ;")"_s, s(u"a 'b' ( ) = ;"_s)},
        {uR"('a "b"')"_s, s(uR"(a "b")"_s)},
        {uR"("")"_s, s({})},
        {u"\"\u00e9\U0001F600"_s + QChar(0xD800) + u'"', s(u"\u00e9\U0001F600"_s + QChar(0xD800))},
        {u"12"_s, s(u"12"_s)}, // no numbers, booleans or dates in this format
        // Data.
        {u"<>"_s, V::data({})},
        {u"<48656C6c 6f>"_s, V::data("Hello")},
        {u"< 00\t01\n02\r03\u202804\u2029ff >"_s, V::data(QByteArray::fromHex("00010203 04ff"))},
        // Arrays.
        {u"()"_s, V::array({})},
        {u"( )"_s, V::array({})},
        {u"(a)"_s, V::array({s(u"a"_s)})},
        {u"(a,)"_s, V::array({s(u"a"_s)})},
        {u"( a , \"b\" , <01> , ( ) , { } , )"_s,
         V::array({s(u"a"_s), s(u"b"_s), V::data("\x01"), V::array({}), dict({})})},
        // Dictionaries.
        {u"{}"_s, dict({})},
        {u"{a=b;}"_s, dict({{u"a"_s, s(u"b"_s)}})},
        {u"{ n = 12; b = YES; }"_s, dict({{u"n"_s, s(u"12"_s)}, {u"b"_s, s(u"YES"_s)}})},
        {u"{ k; 'q k' ; }"_s, dict({{u"k"_s, s(u"k"_s)}, {u"q k"_s, s(u"q k"_s)}})},
        {u"{a=1;b=2;a=3;}"_s, dict({{u"a"_s, s(u"3"_s)}, {u"b"_s, s(u"2"_s)}})},
        {u"{\"a b\" = <00>; l = (x, {y = z;}); }"_s,
         dict({{u"a b"_s, V::data(QByteArray(1, '\0'))},
               {u"l"_s, V::array({s(u"x"_s), dict({{u"y"_s, s(u"z"_s)}})})}})},
        // Comments wherever whitespace may go, ending at any line end; /* does not nest.
        {u"(a, // c ) \n b /* ) */ , // x\rc)"_s, V::array({s(u"a"_s), s(u"b"_s), s(u"c"_s)})},
        {u"// c\u2028abc"_s, s(u"abc"_s)},
        {u"a /*/ b"_s, s(u"a"_s)},
        {u"{a /**/=/**/\"b\"/**/;}"_s, dict({{u"a"_s, s(u"b"_s)}})},
        {u"{a/=b/;}"_s, dict({{u"a/"_s, s(u"b/"_s)}})}, // a bare run takes a comment's slash
        // A string followed by more text: the whole text is a strings file.
        {u"a = b;"_s, dict({{u"a"_s, s(u"b"_s)}})},
        {u"a;"_s, dict({{u"a"_s, s(u"a"_s)}})},
        {u"/* head */ \"k\" = \"v\";\n k2 = v2; k3; // tail"_s,
         dict({{u"k"_s, s(u"v"_s)}, {u"k2"_s, s(u"v2"_s)}, {u"k3"_s, s(u"k3"_s)}})},
        {u"a = (x); b = {c = <00>;}; a = y;"_s,
         dict({{u"a"_s, s(u"y"_s)}, {u"b"_s, dict({{u"c"_s, V::data(QByteArray(1, '\0'))}})}})},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<V> value = OpenStepPlistReader::read(text);
        ASSERT_TRUE(value) << qPrintable(printable(text));
        EXPECT_TRUE(*value == expected) << qPrintable(printable(text));
    }
}

TEST(OpenStepPlistReader, DecodesEscapes) {
    const struct {
        QString quoted; // between the double quotes
        QString expected;
    } cases[] = {
        {uR"(\a\b\f\n\r\t\v)"_s, u"\a\b\f\n\r\t\v"_s},
        {uR"(\"\'\\)"_s, uR"("'\)"_s},
        {u"\\\n"_s, u"\n"_s},
        {uR"(\q\u\z\ )"_s, u"quz "_s},
        // Octal: one to three digits; above \177 the NeXTSTEP character set.
        {uR"(\0)"_s, QString(QChar(0))},
        {uR"(\101\1011\12x\7)"_s, u"AA1\nx\a"_s},
        {uR"(\177\200\201\235\244\341\351\373\375)"_s,
         u"\x7f\u00a0\u00c0\u00b5\u2044\u00c6\u00d8\u00df\u00ff"_s},
        {uR"(\8)"_s, u"8"_s},
        // \U: up to four hex digits name one UTF-16 unit.
        {uR"(\U20ac\U20AC)"_s, u"\u20ac\u20ac"_s},
        {uR"(\U41\U0041BC)"_s, u"AABC"_s},
        {uR"(\Ud83d\Ude00)"_s, u"\U0001F600"_s},
        {uR"(\Ux)"_s, QString(QChar(0)) + u'x'},
    };
    for (const auto& [quoted, expected] : cases) {
        const std::optional<V> value = OpenStepPlistReader::read(u'"' + quoted + u'"');
        ASSERT_TRUE(value) << qPrintable(quoted);
        EXPECT_EQ(value->toString(), expected) << qPrintable(quoted);
        // The single-quoted form reads the same.
        EXPECT_TRUE(OpenStepPlistReader::read(u'\'' + quoted + u'\'') == value);
    }
}

TEST(OpenStepPlistReader, RefusesMalformedText) {
    // clang-format off
    const QString cases[] = {
        // Strings.
        u"\"abc"_s, u"'abc\""_s, u"\"abc\\"_s, u"\"\\400\""_s, u"\"\\777\""_s,
        // Data.
        u"<4>"_s, u"<abc>"_s, u"<4 8>"_s, u"<zz>"_s, u"<48"_s, u"<48 /* c */>"_s, u"<48\v>"_s,
        u"<0x48>"_s,
        // Arrays.
        u"("_s, u"(a"_s, u"(a b)"_s, u"(,)"_s, u"(a,,b)"_s, u"(a;)"_s, u")"_s, u"(a /* ) */"_s,
        // Dictionaries: every entry ends with ';', keys are strings.
        u"{"_s, u"{a=b}"_s, u"{a=b;"_s, u"{a}"_s, u"{a=;}"_s, u"{a=b;;}"_s, u"{a==b;}"_s,
        u"{(a)=b;}"_s, u"{a/* c */=b;}"_s, u"{<00>=b;}"_s, u"{{}=b;}"_s, u"{a=b c;}"_s, u"}"_s,
        // Text that no object starts with.
        u"#"_s, u"="_s, u";"_s, u","_s, u"\u00e9"_s,
        // Junk after anything but a string.
        u"{a=b;} x"_s, u"(a) b"_s, u"<00> x"_s, u"{} }"_s, u"() ()"_s,
        // Strings files that go wrong.
        u"a = b"_s, u"a b"_s, u"a = b; }"_s, u"a, b"_s, u"\"a\" = b; ("_s, u"a = <zz>;"_s,
        u"a = b; c = \"d;"_s,
    };
    // clang-format on
    for (const QString& text : cases)
        EXPECT_FALSE(OpenStepPlistReader::read(text)) << qPrintable(text);
}

TEST(OpenStepPlistReader, EnforcesDepthAndSize) {
    const int depth = BinaryPlistReader::maxDepth;
    const qint64 nodes = BinaryPlistReader::maxExpandedNodes;
    const struct {
        const char* name;
        QString text;
        bool accepted;
    } cases[] = {
        {"arrays at depth 512", nested(depth, u"("_s, u")"_s), true},
        {"arrays at depth 513", nested(depth + 1, u"("_s, u")"_s), false},
        {"dictionaries at depth 512", u"{a="_s.repeated(depth) + u"{}"_s + u";}"_s.repeated(depth),
         true},
        {"dictionaries at depth 513",
         u"{a="_s.repeated(depth + 1) + u"{}"_s + u";}"_s.repeated(depth + 1), false},
        {"strings file at depth 513", u"a = "_s + nested(depth, u"("_s, u")"_s) + u";"_s, false},
        {"2 million open brackets", u"("_s.repeated(2'000'000), false},
        {"1,000,000 nodes", u"("_s + u"a,"_s.repeated(nodes - 1) + u")"_s, true},
        {"1,000,001 nodes", u"("_s + u"a,"_s.repeated(nodes) + u")"_s, false},
        {"1,000,001 nodes of `key;`", u"{"_s + u"k;"_s.repeated(nodes / 2) + u"}"_s, false},
        {"unterminated comment of 4 MB", u"/*"_s + QString(2'000'000, u'x'), true},
        {"string of 4 MB", u"\""_s + QString(2'000'000, u'\\') + u"\""_s, true},
    };
    for (const auto& [name, text, accepted] : cases) {
        EXPECT_EQ(OpenStepPlistReader::read(text).has_value(), accepted) << name;
    }
}
