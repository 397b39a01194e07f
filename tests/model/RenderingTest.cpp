#include "model/BinaryPlistDescription.h"
#include "model/ResourceItem.h"
#include "model/plist/BinaryPlistWriter.h"
#include "model/plist/XmlPlistWriter.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// {"url": "https://a.example/x", "n": 42, "ok": true} as written by another program.
const QByteArray foreignPlist = QByteArray::fromHex(
    "62706c6973743030d3010203040506516e526f6b5375726c102a095f101368747470733a2f2f612e6578616d70"
    "6c652f78080f1114181a1b000000000000010100000000000000070000000000000000000000000000003"
    "1");

// XML layout is the writer's own business (XmlPlistTest); here only which text is shown.
QString xmlOf(const PlistValue& value) {
    return QString::fromUtf8(XmlPlistWriter::write(value).value());
}

const QString foreignPlistXml = xmlOf(PlistValue::dictionary({
    {u"url"_s, PlistValue::string(u"https://a.example/x"_s)},
    {u"n"_s, PlistValue::integer(42)},
    {u"ok"_s, PlistValue::boolean(true)},
}));

QByteArray binaryOf(const PlistValue& value) {
    return BinaryPlistWriter::write(value).value();
}

ResourceItem itemOfType(const QByteArray& value, qint64 type) {
    ResourceItem item(u"user.x"_s, value);
    item.setType(type);
    return item;
}

} // namespace

TEST(RenderingTest, DisplayTextHasHeaderHexAndContentByType) {
    const struct {
        const char* label;
        QByteArray value;
        QString expected;
    } cases[] = {
        {"empty value", {}, u"user.x (0 bytes):\n\n<>\n\nString content:\n\n\n"_s},
        {"short text is shown as text", "Hello",
         u"user.x (5 bytes):\n\n<48656c6c 6f>\n\nString content:\n\nHello\n"_s},
        {"neither UTF-8 nor ASCII", QByteArray("\xff\x00\x01\x02", 4),
         u"user.x (4 bytes):\n\n<ff000102>\n\n"_s},
        {"magic without a valid plist", "bplist00junk",
         u"user.x (12 bytes):\n\n<62706c69 73743030 6a756e6b>\n\nProperty list content:\n\n"
         "Not a binary Plist\n"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResourceItem(u"user.x"_s, c.value).displayText(), c.expected) << c.label;
    EXPECT_TRUE(ResourceItem(u"user.p"_s, foreignPlist)
                    .displayText()
                    .endsWith(u">\n\nProperty list content:\n\n"_s + foreignPlistXml));
}

TEST(RenderingTest, PlistAsXmlOnlyForValidBinaryPropertyLists) {
    EXPECT_EQ(itemOfType(foreignPlist, ResourceItem::PropertyListType).plistAsXML(),
              foreignPlistXml);
    const QString no = u"Not a binary Plist\n"_s;
    EXPECT_EQ(itemOfType(foreignPlist, ResourceItem::BinaryType).plistAsXML(), no);
    EXPECT_EQ(itemOfType(foreignPlistXml.toUtf8(), ResourceItem::PropertyListType).plistAsXML(),
              no);
    // A tree XML cannot carry falls back the same way.
    EXPECT_EQ(
        ResourceItem(u"user.x"_s, binaryOf(PlistValue::string(u"nul\u0000inside"_s))).plistAsXML(),
        no);
}

TEST(RenderingTest, EditableTextFollowsTheRecordsType) {
    const struct {
        const char* label;
        QByteArray value;
        qint64 type;
        QString expected;
    } cases[] = {
        {"text", "caf\xc3\xa9 au lait", ResourceItem::TextType, u"café au lait"_s},
        {"text type on non-UTF-8 bytes", "\xff\xfe", ResourceItem::TextType, u"<fffe>"_s},
        // A property list in any of the three formats is edited as XML.
        {"binary plist", foreignPlist, ResourceItem::PropertyListType, foreignPlistXml},
        {"XML plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>",
         ResourceItem::PropertyListType, xmlOf(PlistValue::boolean(true))},
        {"old-style text", "{ b = (1, \"two\"); a = <0aff>; }", ResourceItem::PropertyListType,
         xmlOf(PlistValue::dictionary(
             {{u"a"_s, PlistValue::data("\x0a\xff")},
              {u"b"_s,
               PlistValue::array({PlistValue::string(u"1"_s), PlistValue::string(u"two"_s)})}}))},
        {"text that is no plist in any format", "one two three", ResourceItem::PropertyListType,
         u"one two three"_s},
        {"broken binary plist", "bplist00\xff\xfe", ResourceItem::PropertyListType,
         u"<62706c69 73743030 fffe>"_s},
        {"binary data", "Hello", ResourceItem::BinaryType, u"<48656c6c 6f>"_s},
        {"the editor's fourth format", "Hello", 3, u"<48656c6c 6f>"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(itemOfType(c.value, c.type).editableText(), c.expected) << c.label;
}

TEST(RenderingTest, DescribeBinaryPlistNamesTheTopLevelClass) {
    const struct {
        const char* label;
        QByteArray value;
        QString expected;
    } cases[] = {
        {"array",
         binaryOf(PlistValue::array({PlistValue::string(u"a"_s), PlistValue::integer(-5)})),
         u"Binary Plist NSArray:\n(\n    a,\n    \"-5\"\n)"_s},
        {"dictionary", binaryOf(PlistValue::dictionary({{u"k"_s, PlistValue::boolean(true)}})),
         u"Binary Plist NSDictionary:\n{\n    k = 1;\n}"_s},
        {"string, unquoted", binaryOf(PlistValue::string(u"say \"hi\""_s)),
         u"Binary Plist NSString:\nsay \"hi\""_s},
        {"date", binaryOf(PlistValue::date(0)),
         u"Binary Plist NSDate:\n2001-01-01 00:00:00 +0000"_s},
        {"data", binaryOf(PlistValue::data("Hello")), u"Binary Plist NSData:\n<48656c6c 6f>"_s},
        {"integer", binaryOf(PlistValue::integer(42)), u"Binary Plist NSNumber:\n42"_s},
        {"real", binaryOf(PlistValue::real(3.25)), u"Binary Plist NSNumber:\n3.25"_s},
        {"boolean", binaryOf(PlistValue::boolean(false)), u"Binary Plist NSNumber:\n0"_s},
        {"uid", binaryOf(PlistValue::uid(7)), u"Binary Plist format not known.\n"_s},
        {"XML plist", foreignPlistXml.toUtf8(), u"Not a binary Plist\n"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeBinaryPlist(c.value), c.expected) << c.label;
}

namespace {

// A binary property list of shared references: each of `depth` arrays holds `width` references
// to the one below, and the last one a short string, so that a value of a few hundred bytes
// stands for width^depth strings.
QByteArray sharedReferencePlist(int width, int depth) {
    QByteArray bytes = "bplist00";
    QList<int> offsets{int(bytes.size())};
    bytes += "\x58"
             "abcdefgh";
    for (int level = 1; level <= depth; ++level) {
        offsets.append(int(bytes.size()));
        bytes += char(0xa0 | width);
        bytes += QByteArray(width, char(level - 1));
    }
    const int tableOffset = int(bytes.size());
    for (const int offset : offsets)
        bytes += char(offset >> 8) + QByteArray(1, char(offset & 0xff));
    const auto be64 = [](quint64 n) {
        QByteArray out(8, '\0');
        for (int i = 7; i >= 0; --i, n >>= 8)
            out[i] = char(n & 0xff);
        return out;
    };
    return bytes + QByteArray(6, '\0') + '\x02' + '\x01' + be64(quint64(depth + 1)) +
           be64(quint64(depth)) + be64(quint64(tableOffset));
}

} // namespace

// The description grows with the value, not with what its references expand to.
TEST(RenderingTest, AValuesDescriptionStaysInProportionToItsSize) {
    const QByteArray amplifying = sharedReferencePlist(14, 5); // 537,824 strings
    const QString text = describeBinaryPlist(amplifying);
    ASSERT_TRUE(text.startsWith(u"Binary Plist NSArray:\n(\n        (\n"_s))
        << text.left(200).toStdString();
    const QString note =
        u"\n… (description cut after %1 characters)\n"_s.arg(describedLimit(amplifying.size()));
    EXPECT_TRUE(text.endsWith(note));
    EXPECT_LE(text.size(), describedLimit(amplifying.size()) + 100);

    // One that fits is whole.
    const QString small = describeBinaryPlist(sharedReferencePlist(3, 2));
    EXPECT_TRUE(small.endsWith(u")"_s)) << small.toStdString();
    EXPECT_FALSE(small.contains(u"cut after"_s));
}
