#include "core/plist/XmlPlistReader.h"
#include "core/plist/XmlPlistWriter.h"

#include <limits>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using V = PlistValue;

namespace {

constexpr qint64 int64Min = std::numeric_limits<qint64>::min();
constexpr quint64 uint64Max = std::numeric_limits<quint64>::max();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double quietNan = std::numeric_limits<double>::quiet_NaN();

// Dates are seconds since 2001-01-01 UTC; these are the first and last second they may write.
constexpr double year1 = -63'113'904'000, lastSecond = 252'423'993'599; // 9999-12-31 23:59:59

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

QByteArray nestedXml(int depth) {
    return "<plist>" + QByteArray("<array>").repeated(depth) + "<true/>" +
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

TEST(XmlPlistWriter, WritesEachKindAsApple) {
    const std::pair<V, QByteArray> cases[] = {
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
        {V::date(644'243'696.999), "<date>2021-06-01T12:34:56Z</date>\n"},
        {V::date(-0.25), "<date>2000-12-31T23:59:59Z</date>\n"}, // rounded down, not to zero
        {V::date(year1), "<date>0001-01-01T00:00:00Z</date>\n"},
        {V::string(u"<a & b> \"q\" 'a'"_s), "<string>&lt;a &amp; b&gt; \"q\" 'a'</string>\n"},
        {V::string(u"tab\tline\ncr\r."_s), "<string>tab\tline\ncr&#13;.</string>\n"},
        {V::string(u"Grüße 😀 \uFFFD"_s), "<string>Grüße 😀 \xEF\xBF\xBD</string>\n"},
        {V::uid(7), "<dict>\n\t<key>CF$UID</key>\n\t<integer>7</integer>\n</dict>\n"},
        {V::data("Hello"), "<data>\nSGVsbG8=\n</data>\n"},
        {V::data({}), "<data>\n</data>\n"},             // the closing tag follows directly
        {V::data(QByteArray("0123456789").repeated(6)), // 80 base64 characters
         "<data>\nMDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2Nzg5MDEyMzQ1Njc4OTAxMjM0NTY3ODkwMTIzNDU2\n"
         "Nzg5\n</data>\n"},
        {V::dictionary({{u"b"_s, V::boolean(true)}, {u"a&<"_s, V::array({V::dictionary({})})}}),
         "<dict>\n\t<key>a&amp;&lt;</key>\n\t<array>\n\t\t<dict/>\n\t</array>\n"
         "\t<key>b</key>\n\t<true/>\n</dict>\n"},
    };
    for (const auto& [value, body] : cases)
        EXPECT_EQ(XmlPlistWriter::write(value).value_or("(refused)"), document(body));

    // Base64 lines get shorter with depth and stop at eight tabs; the element's tags do not.
    // Here '|' stands for eight tabs.
    const QByteArray doc = XmlPlistWriter::write(nestedIn(9, V::data("012345678901"))).value_or("");
    EXPECT_TRUE(doc.contains(
        QByteArray("\n|<array>\n|\t<data>\n|MDEyMzQ1Njc4\n|OTAx\n|\t</data>\n|</array>\n")
            .replace("|", QByteArray(8, '\t'))))
        << doc.constData();
}

TEST(XmlPlistWriter, WritesWhatTheReaderReadsBackAndRefusesTheRest) {
    const auto keys = [](int count) {
        V::Dictionary entries;
        for (int i = 0; i < count; ++i)
            entries.append({QString::number(i), V::boolean(true)});
        return V::dictionary(entries);
    };
    // clang-format off
    const V accepted[] = {
        V::integer(int64Min), V::unsignedInteger(uint64Max), V::real(-0.0), V::real(-1e-300),
        V::real(quietNan), V::real(inf), V::real(std::numeric_limits<double>::denorm_min()),
        V::real(std::numeric_limits<double>::max()), V::date(-1e9), V::date(lastSecond),
        V::data(QByteArray(70'000, '\xA5')), V::string(u"  leading and trailing  "_s),
        V::string(u"\xD83D\xDE00"_s), V::string(u"\xFFFD\x7F\x85\t\n\r"_s),
        V::uid(0xFFFF'FFFF), nestedIn(512, V::boolean(true)),
        V::array(V::Array(999'999, V::boolean(true))), keys(499'999), // 1,000,000 elements
        V::dictionary({{u"z"_s, V::array({V::dictionary({{u"é"_s, V::data("x")}}), V::array({})})},
                       {u""_s, V::string(u"empty key"_s)},
                       {u"a\nb"_s, V::dictionary({{u"CF$UID"_s, V::string(u"not a UID"_s)}})},
                       {u"u"_s, V::dictionary({{u"a"_s, V::uid(0)}, {u"b"_s, V::uid(4)}})}})};
    // clang-format on
    for (const V& value : accepted) {
        const std::optional<QByteArray> doc = XmlPlistWriter::write(value);
        EXPECT_TRUE(doc && XmlPlistReader::read(*doc) == value)
            << doc.value_or("(refused)").left(300).constData();
    }
    const std::pair<const char*, V> refused[] = {
        {"null in an array", V::array({V::integer(1), V()})},
        {"null in a dictionary", V::dictionary({{u"k"_s, V()}})},
        {"control character", V::string(u"a\x01"_s)},
        {"U+FFFE", V::string(u"\xFFFE"_s)},
        {"U+FFFF", V::string(u"\xFFFF"_s)},
        {"lone high surrogate", V::string(u"\xD83Dx"_s)},
        {"lone low surrogate", V::string(u"\xDE00"_s)},
        {"control character in a key", V::dictionary({{u"\a"_s, V::integer(1)}})},
        {"UID above 32 bits", V::uid(0x1'0000'0000)},
        {"NaN date", V::date(quietNan)},
        {"date in year 0", V::date(year1 - 0.5)},
        {"date in year 10000", V::date(lastSecond + 1)},
        {"depth 513", nestedIn(513, V::boolean(true))},
        {"UID entry at depth 513", nestedIn(512, V::uid(1))},
        {"1,000,001 elements", V::array(V::Array(1'000'000, V::boolean(true)))},
        {"1,000,001 keys and values", keys(500'000)},
        {"a megabyte string shared 100 times",
         V::array(V::Array(100, V::string(QString(1 << 20, u'x'))))},
    };
    for (const auto& [name, value] : refused)
        EXPECT_FALSE(XmlPlistWriter::write(value)) << name;
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
    const std::pair<QByteArray, V> cases[] = {
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
        {"<real>+INFINITY</real>", V::real(inf)},
        {"<real>-nan</real>", V::real(quietNan)}, // one NaN, so that it writes and reads back
        {"<data>\n\tSGVs\n bG8=\r\n</data>", V::data("Hello")},
        {"<data>SGVsbG8</data>", V::data("Hello")}, // padding left out
        {QByteArray(uidDict).replace("%1", "4294967295"), V::uid(0xFFFF'FFFF)},
        {QByteArray(uidDict).replace("%1", "4294967296"),
         V::dictionary({{u"CF$UID"_s, V::integer(0x1'0000'0000)}})},
        {QByteArray(uidDict).replace("%1", "-1"), V::dictionary({{u"CF$UID"_s, V::integer(-1)}})},
        {"<dict><key>CF$UID</key><real>1</real></dict>",
         V::dictionary({{u"CF$UID"_s, V::real(1)}})},
        {"<dict><key>CF$UID</key><integer>1</integer><key>x</key><true/></dict>",
         V::dictionary({{u"CF$UID"_s, V::integer(1)}, {u"x"_s, V::boolean(true)}})},
        // At the limits on depth, elements and attributes.
        {nestedXml(512), nestedIn(512, V::boolean(true))},
        {"<array>" + QByteArray("<true/>").repeated(999'999) + "</array>",
         V::array(V::Array(999'999, V::boolean(true)))},
        {attributes(64), V::boolean(true)},
    };
    for (const auto& [doc, expected] : cases)
        EXPECT_TRUE(XmlPlistReader::read(doc) == expected) << doc.left(300).constData();
}

// One document for each check the reader makes.
TEST(XmlPlistReader, RefusesMalformedAndHostileDocuments) {
    // clang-format off
    const QByteArray cases[] = {
        // Structure.
        "", "bplist00", "<plist><array><true/></array>", "<plist></plist>",
        "<plist><true/><false/></plist>", "<true/><true/>", "<plist><key>k</key></plist>",
        "<plist><set/></plist>", "<p:true xmlns:p=\"urn:x\"/>", "<array><true/> junk </array>",
        "<array><![CDATA[x]]></array>", "<true>yes</true>", "<string>a<b/>c</string>",
        // Dictionaries: a key, then its value.
        "<dict><key>a<b/></key><true/></dict>", "<dict><key>k</key></dict>",
        "<dict><key>a</key><key>b</key><true/></dict>", "<dict><true/></dict>",
        // Entities, DTDs, characters and encodings.
        "<string>&nbsp;</string>",
        "<!DOCTYPE plist SYSTEM \"plist.dtd\"><plist><string>&x;</string></plist>",
        "<!DOCTYPE plist [<!ENTITY % x \"y\">]><plist><true/></plist>",
        "<!DOCTYPE plist [<!ATTLIST plist version CDATA #IMPLIED>]><plist><true/></plist>",
        "<string>&#1;</string>", "<string>\xFF</string>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><string>a</string>",
        // Numbers.
        "<integer>18446744073709551616</integer>", "<integer>-9223372036854775809</integer>",
        "<integer/>", "<integer>--1</integer>", "<integer>12a</integer>", "<real>1.5x</real>",
        "<real>+-1</real>", "<real>0x1p3</real>", "<real>1e400</real>",
        // Dates: exactly YYYY-MM-DDTHH:MM:SSZ, a valid day and time.
        "<date>2021-06-01T12:34:56</date>", "<date>2021-06-01t12:34:56z</date>",
        "<date>202\xD9\xA1-06-01T12:34:56Z</date>", "<date>2021-02-29T12:34:56Z</date>",
        "<date>2016-12-31T23:59:60Z</date>",
        // Base64: strict, the standard alphabet, no lone last character.
        "<data>SGVs!bG8=</data>", "<data>-_-_</data>", "<data>SGVs b</data>",
        "<data>SGVsbG8\xC5\x81</data>", // U+0141 cut to a byte would be "A"
        // clang-format on
        // Beyond the limits on depth, elements (keys count) and attributes; and any declared
        // entity, refused before a billion laughs could expand, however small it looks.
        nestedXml(513), "<dict>" + QByteArray("<key>k</key><true/>").repeated(500'000) + "</dict>",
        attributes(65), "<!DOCTYPE plist [<!ENTITY x \"y\">]><plist><true/></plist>"};
    for (const QByteArray& doc : cases)
        EXPECT_FALSE(XmlPlistReader::read(doc)) << doc.left(300).constData();
}
