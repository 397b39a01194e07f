#include "core/plist/BinaryPlistReader.h"
#include "core/plist/OpenStepPlistReader.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using V = PlistValue;

namespace {

V s(const QString& text) {
    return V::string(text);
}

V dict(V::Dictionary entries) {
    return V::dictionary(std::move(entries));
}

} // namespace

TEST(OpenStepPlistReader, ReadsEachFormAndEscape) {
    const std::pair<QString, V> cases[] = {
        // Documents without an object, and whitespace in all its forms.
        {u""_s, dict({})},
        {u" \t\n\v\f\r\u2028\u2029 // only a comment"_s, dict({})},
        // Strings: bare runs of [A-Za-z0-9_$/:.-] and both quotes.
        {u"Az09_$/:.-"_s, s(u"Az09_$/:.-"_s)},
        {u"a//b"_s, s(u"a//b"_s)}, // inside a bare string slashes are not a comment
        {uR"("a 'b' ( ) = ;")"_s, s(u"a 'b' ( ) = ;"_s)},
        {uR"('a "b"')"_s, s(uR"(a "b")"_s)},
        {u"\"\u00e9\U0001F600"_s + QChar(0xD800) + u'"', s(u"\u00e9\U0001F600"_s + QChar(0xD800))},
        {u"12"_s, s(u"12"_s)}, // no numbers, booleans or dates in this format
        // Escapes, the same in both quotes.
        {uR"("\a\b\f\n\r\t\v")"_s, s(u"\a\b\f\n\r\t\v"_s)},
        {u"'\\\"\\'\\\\\\\n\\q'"_s, s(u"\"'\\\nq"_s)},
        // Octal: one to three digits; above \177 the NeXTSTEP character set.
        {uR"('\101\1011\12x\7\8')"_s, s(u"AA1\nx\a8"_s)},
        {uR"("\177\200\201\235\244\341\351\373\375")"_s,
         s(u"\x7f\u00a0\u00c0\u00b5\u2044\u00c6\u00d8\u00df\u00ff"_s)},
        // \U: up to four hex digits name one UTF-16 unit.
        {uR"("\U20ac\U20AC\U41\U0041BC")"_s, s(u"\u20ac\u20acAABC"_s)},
        {uR"('\Ux')"_s, s(QString(QChar(0)) + u'x')},
        // Data.
        {u"<>"_s, V::data({})},
        {u"< 48\t65\n6C\r6c\u20286f\u2029ff >"_s, V::data("Hello\xff")},
        // Arrays and dictionaries.
        {u"( a , \"b\" , <01> , ( ) , { } , )"_s,
         V::array({s(u"a"_s), s(u"b"_s), V::data("\x01"), V::array({}), dict({})})},
        {u"{ k; 'q k' ; }"_s, dict({{u"k"_s, s(u"k"_s)}, {u"q k"_s, s(u"q k"_s)}})},
        {u"{\"a b\" = <00>; l = (x, {y = z;}); }"_s,
         dict({{u"a b"_s, V::data(QByteArray(1, '\0'))},
               {u"l"_s, V::array({s(u"x"_s), dict({{u"y"_s, s(u"z"_s)}})})}})},
        // Comments wherever whitespace may go, ending at any line end; /* does not nest.
        {u"(a, // c ) \n b /* ) */ , // x\rc)"_s, V::array({s(u"a"_s), s(u"b"_s), s(u"c"_s)})},
        {u"// c\u2028abc"_s, s(u"abc"_s)},
        {u"a /*/ b"_s, s(u"a"_s)},
        {u"{a/=b/;}"_s, dict({{u"a/"_s, s(u"b/"_s)}})}, // a bare run takes a comment's slash
        // A string followed by more text: the whole text is a strings file.
        {u"/* head */ \"k\" = \"v\";\n k2 = (v2); k3; // tail"_s,
         dict({{u"k"_s, s(u"v"_s)}, {u"k2"_s, V::array({s(u"v2"_s)})}, {u"k3"_s, s(u"k3"_s)}})},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_TRUE(OpenStepPlistReader::read(text) == expected) << qPrintable(text);
}

// One text for each check the reader makes, and the limits on depth and size.
TEST(OpenStepPlistReader, RefusesMalformedTextAndEnforcesDepthAndSize) {
    const auto arrays = [](int depth) {
        return u"("_s.repeated(depth + 1) + u")"_s.repeated(depth + 1);
    };
    const auto dicts = [](int depth) {
        return u"{a="_s.repeated(depth) + u"{}"_s + u";}"_s.repeated(depth);
    };
    const auto elements = [](qint64 count) { return u"("_s + u"a,"_s.repeated(count) + u")"_s; };
    const int depth = BinaryPlistReader::maxDepth;
    const qint64 nodes = BinaryPlistReader::maxExpandedNodes;
    for (const QString& text : {arrays(depth), dicts(depth), elements(nodes - 1)})
        EXPECT_TRUE(OpenStepPlistReader::read(text)) << qPrintable(text.left(40));
    // clang-format off
    const QString cases[] = {
        u"\"abc"_s, u"\"abc\\"_s, u"\"\\400\""_s,          // strings
        u"<4>"_s, u"<zz>"_s, u"<48"_s, u"<48\v>"_s,          // data
        u"("_s, u"(a b)"_s, u"(,)"_s, u")"_s,                // arrays
        u"{"_s, u"{a=b}"_s, u"{a}"_s, u"{a=;}"_s,            // dictionaries
        u"#"_s, u"{a=b;} x"_s, u"a = b"_s, u"a = b; }"_s,   // junk, strings files
        // clang-format on
        arrays(depth + 1), dicts(depth + 1),
        u"a = "_s + arrays(depth) + u";"_s, // depth 513
        elements(nodes),
        u"{"_s + u"k;"_s.repeated(nodes / 2) + u"}"_s, // 1,000,001 nodes
    };
    for (const QString& text : cases)
        EXPECT_FALSE(OpenStepPlistReader::read(text)) << qPrintable(text.left(40));
}
