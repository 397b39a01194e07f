#include "model/plist/XmlPlistReader.h"
#include "model/plist/XmlPlistWriter.h"
#include "support/PlistTestSupport.h"

#include <limits>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using plisttest::python;
using plisttest::secondsSince2001;

namespace {

using V = PlistValue;

constexpr qint64 int64Min = std::numeric_limits<qint64>::min();
constexpr quint64 uint64Max = std::numeric_limits<quint64>::max();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double quietNan = std::numeric_limits<double>::quiet_NaN();

// A whole document around the given lines, as the writer lays it out.
QByteArray document(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "</plist>\n";
}

// `depth` arrays around `innermost`, which thus sits at that depth.
V nestedIn(int depth, V innermost) {
    for (int i = 0; i < depth; ++i)
        innermost = V::array({innermost});
    return innermost;
}

QByteArray nestedXml(int depth, const QByteArray& innermost) {
    return "<plist>" + QByteArray("<array>").repeated(depth) + innermost +
           QByteArray("</array>").repeated(depth) + "</plist>";
}

// QXmlStreamReader compares attributes pairwise, so many of them take quadratic time.
QByteArray attributes(int count) {
    QByteArray doc = "<plist";
    for (int i = 0; i < count; ++i)
        doc += " a" + QByteArray::number(i) + "=''";
    return doc + "><true/></plist>";
}

} // namespace

TEST(XmlPlistWriter, WrapsBase64ByDepth) {
    const QByteArray bytes = QByteArray("0123456789").repeated(6); // 80 base64 characters
    const struct {
        int depth;
        QByteArray bytes;
        QByteArray element;
    } cases[] = {
        {0, bytes,
         "<data>\n"
         "MDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2Nzg5MDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2\n"
         "Nzg5\n"
         "</data>\n"},
        // The lines' indentation stops at eight tabs, the element's does not.
        {9, bytes.first(12),
         "\t\t\t\t\t\t\t\t\t<data>\n"
         "\t\t\t\t\t\t\t\tMDEyMzQ1Njc4\n"
         "\t\t\t\t\t\t\t\tOTAx\n"
         "\t\t\t\t\t\t\t\t\t</data>\n"},
        {0, bytes.first(57), // exactly one full line
         "<data>\n"
         "MDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2Nzg5MDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2\n"
         "</data>\n"},
        {2, {}, "\t\t<data>\n\t\t</data>\n"}, // empty: the closing tag follows directly
    };
    for (const auto& [depth, data, element] : cases) {
        const V value = nestedIn(depth, V::data(data));
        const QByteArray doc = XmlPlistWriter::write(value).value_or("(refused)");
        const qsizetype start = doc.indexOf(QByteArray(depth, '\t') + "<data>");
        EXPECT_EQ(doc.mid(start, element.size()), element) << depth;
        EXPECT_EQ(doc.mid(start + element.size()).count("</array>"), depth) << depth;
        EXPECT_TRUE(XmlPlistReader::read(doc) == value) << depth;
    }
}

TEST(XmlPlistWriter, WritesEachKindAsApple) {
    const struct {
        V value;
        QByteArray body;
    } cases[] = {
        {V::real(quietNan), "<real>nan</real>\n"},
        {V::real(inf), "<real>+infinity</real>\n"},
        {V::real(-inf), "<real>-infinity</real>\n"},
        {V::real(0.0), "<real>0.0</real>\n"},
        {V::real(-0.0), "<real>-0.0</real>\n"},
        {V::real(1.0), "<real>1</real>\n"},
        {V::real(1e-5), "<real>1.0000000000000001e-05</real>\n"},
        {V::singleReal(0.1f), "<real>0.10000000149011612</real>\n"},
        {V::integer(int64Min), "<integer>-9223372036854775808</integer>\n"},
        {V::unsignedInteger(uint64Max), "<integer>18446744073709551615</integer>\n"},
        {V::boolean(false), "<false/>\n"},
        {V::date(secondsSince2001(2021, 6, 1, 12, 34, 56) + 0.999),
         "<date>2021-06-01T12:34:56Z</date>\n"},
        {V::date(-0.25), "<date>2000-12-31T23:59:59Z</date>\n"}, // rounded down, not to zero
        {V::date(-86'400.5), "<date>2000-12-30T23:59:59Z</date>\n"},
        {V::date(secondsSince2001(1, 1, 1, 0, 0, 0)), "<date>0001-01-01T00:00:00Z</date>\n"},
        {V::string(u"<a & b> \"q\" 'a'"_s), "<string>&lt;a &amp; b&gt; \"q\" 'a'</string>\n"},
        {V::string(u"tab\tline\ncr\r."_s), "<string>tab\tline\ncr&#13;.</string>\n"},
        {V::string(u"Grüße 😀 \uFFFD"_s), "<string>Grüße 😀 \xEF\xBF\xBD</string>\n"},
        {V::uid(7), "<dict>\n\t<key>CF$UID</key>\n\t<integer>7</integer>\n</dict>\n"},
        {V::data("Hello"), "<data>\nSGVsbG8=\n</data>\n"},
        {V::dictionary({{u"b"_s, V::boolean(true)}, {u"a&<"_s, V::array({V::dictionary({})})}}),
         "<dict>\n\t<key>a&amp;&lt;</key>\n\t<array>\n\t\t<dict/>\n\t</array>\n"
         "\t<key>b</key>\n\t<true/>\n</dict>\n"},
        // UTF-16 order: U+FF5E is a single unit, U+1F600 starts with the surrogate 0xD83D.
        {V::array({V::dictionary({{u"\uFF5E"_s, V::integer(1)},
                                  {u"😀"_s, V::integer(2)},
                                  {u"Z"_s, V::array({})}})}),
         "<array>\n\t<dict>\n\t\t<key>Z</key>\n\t\t<array/>\n\t\t<key>😀</key>\n"
         "\t\t<integer>2</integer>\n\t\t<key>\xEF\xBD\x9E</key>\n\t\t<integer>1</integer>\n"
         "\t</dict>\n</array>\n"},
    };
    for (const auto& [value, body] : cases)
        EXPECT_EQ(XmlPlistWriter::write(value).value_or("(refused)"), document(body));
}

TEST(XmlPlistWriter, RefusesWhatTheReaderCouldNotReadBack) {
    const auto text = [](std::initializer_list<char16_t> units) {
        return QStringView(units.begin(), qsizetype(units.size())).toString();
    };
    V::Dictionary halfAMillionKeys;
    for (int i = 0; i < 500'000; ++i)
        halfAMillionKeys.append({QString::number(i), V::boolean(true)});
    const struct {
        const char* name;
        V value;
        bool accepted;
    } cases[] = {
        {"null", V(), false},
        {"null in an array", V::array({V::integer(1), V()}), false},
        {"null in a dictionary", V::dictionary({{u"k"_s, V()}}), false},
        {"control character", V::string(text({u'a', 0x01})), false},
        {"U+FFFE", V::string(text({0xFFFE})), false},
        {"U+FFFF", V::string(text({0xFFFF})), false},
        {"lone high surrogate", V::string(text({0xD83D, u'x'})), false},
        {"lone low surrogate", V::string(text({0xDE00})), false},
        {"control character in a key", V::dictionary({{text({0x07}), V::integer(1)}}), false},
        {"surrogate pair", V::string(text({0xD83D, 0xDE00})), true},
        {"U+FFFD, DEL and the allowed controls", V::string(text({0xFFFD, 0x7F, 0x85, 9, 10, 13})),
         true},
        {"UID above 32 bits", V::uid(0x1'0000'0000), false},
        {"UID at 32 bits", V::uid(0xFFFF'FFFF), true},
        {"NaN date", V::date(quietNan), false},
        {"date in year 0", V::date(secondsSince2001(1, 1, 1, 0, 0, 0) - 0.5), false},
        {"date in year 9999", V::date(secondsSince2001(9999, 12, 31, 23, 59, 59)), true},
        {"date in year 10000", V::date(secondsSince2001(9999, 12, 31, 23, 59, 59) + 1), false},
        {"depth 512", nestedIn(512, V::boolean(true)), true},
        {"depth 513", nestedIn(513, V::boolean(true)), false},
        {"UID entry at depth 513", nestedIn(512, V::uid(1)), false},
        {"key at depth 513", nestedIn(512, V::dictionary({{u"k"_s, V::array({})}})), false},
        {"1,000,000 elements", V::array(V::Array(999'999, V::boolean(true))), true},
        {"1,000,001 elements", V::array(V::Array(1'000'000, V::boolean(true))), false},
        {"keys count as elements", V::dictionary(halfAMillionKeys), false},
        {"a megabyte string shared 100 times",
         V::array(V::Array(100, V::string(QString(1 << 20, u'x')))), false},
    };
    for (const auto& [name, value, accepted] : cases) {
        const std::optional<QByteArray> doc = XmlPlistWriter::write(value);
        EXPECT_EQ(doc.has_value(), accepted) << name;
        if (doc) {
            EXPECT_TRUE(XmlPlistReader::read(*doc) == value) << name;
        }
    }
    halfAMillionKeys.removeLast();
    EXPECT_TRUE(XmlPlistWriter::write(V::dictionary(halfAMillionKeys)));
}

TEST(XmlPlist, RoundTripsEveryKind) {
    // clang-format off
    const V values[] = {
        V::boolean(true), V::integer(-1), V::integer(int64Min), V::unsignedInteger(uint64Max),
        V::real(-0.0), V::real(3.14), V::real(-1e-300), V::real(quietNan), V::real(inf),
        V::real(std::numeric_limits<double>::denorm_min()),
        V::real(std::numeric_limits<double>::max()), V::date(-1e9),
        V::data(QByteArray("\0\xff\x80", 3)), V::data(QByteArray(70'000, '\xA5')),
        V::string(u" <&> \r\n\t ]]> &amp; "_s), V::string(u"  leading and trailing  "_s),
        nestedIn(512, V::array({})),
        V::dictionary({{u"z"_s, V::array({V::dictionary({{u"é"_s, V::data("x")}}), V::array({})})},
                       {u""_s, V::string(u"empty key"_s)},
                       {u"a\nb"_s, V::dictionary({{u"CF$UID"_s, V::string(u"not a UID"_s)}})},
                       {u"u"_s, V::dictionary({{u"a"_s, V::uid(0)}, {u"b"_s, V::uid(4)}})}}),
    };
    // clang-format on
    for (const V& value : values) {
        const std::optional<QByteArray> doc = XmlPlistWriter::write(value);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(XmlPlistReader::read(*doc) == value) << doc->left(300).constData();
    }
    // XML has a single kind of real: a single-precision one comes back as its double value, and
    // a date comes back rounded down to the second.
    const struct {
        V written;
        V read;
    } changed[] = {
        {V::singleReal(0.1f), V::real(double(0.1f))},
        {V::date(-0.5), V::date(-1)},
        {V::date(12.75), V::date(12)},
    };
    for (const auto& [written, read] : changed) {
        const std::optional<V> back = XmlPlistReader::read(XmlPlistWriter::write(written).value());
        EXPECT_TRUE(back == read);
    }
}

TEST(XmlPlistReader, ReadsWhatOtherWritersMayProduce) {
    const QByteArray uidDict = "<dict><key>CF$UID</key><integer>%1</integer></dict>";
    const QByteArray entityFreeDtd = "<!DOCTYPE plist SYSTEM \"a [b]>.dtd\" [<!ELEMENT plist ANY>"
                                     "<!-- <!ENTITY x 'y'> -->]>";
    // An '=' counts as an attribute only in a tag, outside quotes.
    const QByteArray manyEquals = QByteArray("a=b ").repeated(100);
    const QByteArray equalsElsewhere = "<plist version=\"" + manyEquals + "\"><string>" +
                                       manyEquals + "<![CDATA[" + manyEquals + "]]><!--" +
                                       manyEquals + "--></string></plist>";
    const struct {
        QByteArray doc;
        V expected;
    } cases[] = {
        {"<true/>", V::boolean(true)}, // a bare value as the root element
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><plist><true/></plist>", V::boolean(true)},
        {"<?xml version='1.0' encoding='utf-8'?>\n<!-- c --><?pi x?>\n<plist version='9'>\n"
         "<!-- c -->\t<?pi?>\n<true><!-- c --> </true>\n</plist>\n<!-- c -->\n",
         V::boolean(true)},
        {entityFreeDtd + "<plist><string>a</string></plist>", V::string(u"a"_s)},
        {equalsElsewhere, V::string(QString::fromLatin1(manyEquals.repeated(2)))},
        {"<string/>", V::string({})},
        {"<string>  a <!-- c --> b<?pi?>\n</string>", V::string(u"  a  b\n"_s)},
        {"<string><![CDATA[<&>]]>&lt;&#x1F600;&#233;&amp;&quot;</string>",
         V::string(u"<&><😀é&\""_s)},
        {"<integer> 42\n</integer>", V::integer(42)},
        {"<integer>+7</integer>", V::integer(7)},
        {"<integer>0x7fFF</integer>", V::integer(0x7FFF)},
        {"<integer>-0X10</integer>", V::integer(-16)},
        {"<integer>-9223372036854775808</integer>", V::integer(int64Min)},
        {"<integer>18446744073709551615</integer>", V::unsignedInteger(uint64Max)},
        {"<real>1.5e3</real>", V::real(1500)},
        {"<real>+2.5</real>", V::real(2.5)},
        {"<real>+INFINITY</real>", V::real(inf)},
        {"<real>-nan</real>", V::real(quietNan)}, // one NaN, so that it writes and reads back
        {"<date>2021-06-01T12:34:56Z</date>", V::date(secondsSince2001(2021, 6, 1, 12, 34, 56))},
        {"<date>1900-02-28T23:59:59Z</date>", V::date(secondsSince2001(1900, 2, 28, 23, 59, 59))},
        {"<data>\n\tSGVs\n bG8=\r\n</data>", V::data("Hello")},
        {"<data>SGVsbG8</data>", V::data("Hello")}, // padding left out
        {"<dict><key>a</key><integer>1</integer><key>b</key><true/>"
         "<key>a</key><integer>2</integer></dict>",
         V::dictionary({{u"a"_s, V::integer(2)}, {u"b"_s, V::boolean(true)}})},
        {QByteArray(uidDict).replace("%1", "4294967295"), V::uid(0xFFFF'FFFF)},
        {QByteArray(uidDict).replace("%1", "4294967296"),
         V::dictionary({{u"CF$UID"_s, V::integer(0x1'0000'0000)}})},
        {QByteArray(uidDict).replace("%1", "-1"), V::dictionary({{u"CF$UID"_s, V::integer(-1)}})},
        {"<dict><key>CF$UID</key><real>1</real></dict>",
         V::dictionary({{u"CF$UID"_s, V::real(1)}})},
        {"<dict><key>CF$UID</key><integer>1</integer><key>x</key><true/></dict>",
         V::dictionary({{u"CF$UID"_s, V::integer(1)}, {u"x"_s, V::boolean(true)}})},
    };
    for (const auto& [doc, expected] : cases) {
        const std::optional<V> value = XmlPlistReader::read(doc);
        ASSERT_TRUE(value) << doc.constData();
        EXPECT_TRUE(*value == expected) << doc.constData();
    }
}

// One document for each check the reader makes.
TEST(XmlPlistReader, RefusesMalformedDocuments) {
    const struct {
        const char* name;
        QByteArray doc;
    } cases[] = {
        {"empty", ""},
        {"not XML", "bplist00"},
        {"unclosed", "<plist><array><true/></array>"},
        {"empty plist", "<plist></plist>"},
        {"two objects in plist", "<plist><true/><false/></plist>"},
        {"second root", "<true/><true/>"},
        {"key as the root", "<plist><key>k</key></plist>"},
        {"unknown element", "<plist><set/></plist>"},
        {"prefixed element", "<p:true xmlns:p=\"urn:x\"/>"},
        {"text in an array", "<array><true/> junk </array>"},
        {"text in true", "<true>yes</true>"},
        {"element in a string", "<string>a<b/>c</string>"},
        {"element in a key", "<dict><key>a<b/></key><true/></dict>"},
        {"key without value", "<dict><key>k</key></dict>"},
        {"key followed by a key", "<dict><key>a</key><key>b</key><true/></dict>"},
        {"value without key", "<dict><true/></dict>"},
        {"undeclared entity", "<string>&nbsp;</string>"},
        {"entity of an external DTD",
         "<!DOCTYPE plist SYSTEM \"plist.dtd\"><plist><string>&x;</string></plist>"},
        {"DTD declaring a parameter entity",
         "<!DOCTYPE plist [<!ENTITY % x \"y\">]><plist><true/></plist>"},
        {"DTD declaring attributes",
         "<!DOCTYPE plist [<!ATTLIST plist version CDATA #IMPLIED>]><plist><true/></plist>"},
        {"character reference to a control", "<string>&#1;</string>"},
        {"invalid UTF-8", "<string>\xFF</string>"},
        {"declared Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><string>a</string>"},
        {"integer 2^64", "<integer>18446744073709551616</integer>"},
        {"integer below INT64_MIN", "<integer>-9223372036854775809</integer>"},
        {"empty integer", "<integer/>"},
        {"two signs", "<integer>--1</integer>"},
        {"integer with junk", "<integer>12a</integer>"},
        {"real with junk", "<real>1.5x</real>"},
        {"real plus minus", "<real>+-1</real>"},
        {"hexadecimal real", "<real>0x1p3</real>"},
        {"real out of range", "<real>1e400</real>"},
        {"date without Z", "<date>2021-06-01T12:34:56</date>"},
        {"date lower-case", "<date>2021-06-01t12:34:56z</date>"},
        {"Arabic-Indic digit", "<date>202\xD9\xA1-06-01T12:34:56Z</date>"},
        {"February 29 of 2021", "<date>2021-02-29T12:34:56Z</date>"},
        {"leap second", "<date>2016-12-31T23:59:60Z</date>"},
        {"base64 with a bad character", "<data>SGVs!bG8=</data>"},
        {"base64 URL alphabet", "<data>-_-_</data>"},
        {"base64 with a dangling character", "<data>SGVs b</data>"},
        {"base64 with non-ASCII", "<data>SGVsbG8\xC3\xA9</data>"},
    };
    for (const auto& [name, doc] : cases)
        EXPECT_FALSE(XmlPlistReader::read(doc)) << name;
}

TEST(XmlPlistReader, RefusesHostileDocuments) {
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        const QByteArray previous = "&l" + QByteArray::number(i - 1) + ';';
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \"" + previous.repeated(10) + "\">\n";
    }
    laughs += "]>\n<plist><string>&l9;</string></plist>\n";

    const struct {
        const char* name;
        QByteArray doc;
        bool accepted;
    } cases[] = {
        {"depth 512", nestedXml(512, "<true/>"), true},
        {"depth 513", nestedXml(513, "<true/>"), false},
        {"key at depth 513", nestedXml(512, "<dict><key>k</key><true/></dict>"), false},
        {"1,000,000 elements", "<array>" + QByteArray("<true/>").repeated(999'999) + "</array>",
         true},
        {"1,000,001 elements with keys",
         "<dict>" + QByteArray("<key>k</key><true/>").repeated(500'000) + "</dict>", false},
        {"billion laughs", laughs, false},
        {"64 attributes", attributes(64), true},
        {"65 attributes", attributes(65), false},
    };
    for (const auto& [name, doc, accepted] : cases) {
        EXPECT_EQ(XmlPlistReader::read(doc).has_value(), accepted) << name;
    }
}

TEST(XmlPlistOracle, PlistlibReadsWhatWeWrite) {
    const V value = V::dictionary({
        {u"z"_s,
         V::array({V::integer(1), V::integer(-1), V::integer(int64Min),
                   V::unsignedInteger(uint64Max), V::real(2.5), V::real(-0.0), V::real(-inf),
                   V::real(1e-300), V::singleReal(1.5f), V::boolean(false), V::boolean(true)})},
        {u"a"_s, V::string(u"Grüße <&> \"\r\n\t😀"_s)},
        {u"x"_s, V::data(QByteArray(100, 'x'))},
        {u"e"_s, V::data({})},
        {u"t"_s, V::date(secondsSince2001(2021, 6, 1, 12, 34, 56) + 0.5)},
        {u"o"_s, V::date(secondsSince2001(1900, 1, 1, 0, 0, 0))},
        {u"u"_s, V::uid(70'000)},
        {u"n"_s,
         V::array({V::array({}), V::dictionary({}), V::string({}), nestedIn(12, V::data("deep"))})},
        {u"\u00e9\u65e5"_s, V::dictionary({{u"k"_s, V::string(u"v"_s)}})},
    });
    const std::optional<QByteArray> doc = XmlPlistWriter::write(value);
    ASSERT_TRUE(doc);
    const QByteArray printed = python(uR"(
import plistlib, sys
print(ascii(plistlib.loads(sys.stdin.buffer.read(), fmt=plistlib.FMT_XML)), end='')
)"_s,
                                      *doc);
    if (printed.isEmpty())
        GTEST_SKIP() << "python3 with plistlib is not available";
    const std::string deep = std::string(12, '[') + "b'deep'" + std::string(12, ']');
    const std::string expected =
        "{'a': 'Gr\\xfc\\xdfe <&> \"\\r\\n\\t\\U0001f600', 'e': b'', 'n': [[], {}, '', " + deep +
        "], 'o': datetime.datetime(1900, 1, 1, 0, 0), "
        "'t': datetime.datetime(2021, 6, 1, 12, 34, 56), 'u': {'CF$UID': 70000}, 'x': b'" +
        std::string(100, 'x') +
        "', 'z': [1, -1, -9223372036854775808, 18446744073709551615, 2.5, -0.0, -inf, 1e-300, "
        "1.5, False, True], '\\xe9\\u65e5': {'k': 'v'}}";
    EXPECT_EQ(printed.toStdString(), expected);
}
