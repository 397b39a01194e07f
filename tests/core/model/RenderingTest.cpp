#include "core/model/BinaryPlistDescription.h"
#include "core/model/ResourceItem.h"
#include "core/plist/BinaryPlistWriter.h"
#include "core/plist/XmlPlistWriter.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// {"url": "https://a.example/x", "n": 42, "ok": true} as written by another program.
const QByteArray foreignPlist = QByteArray::fromHex(
    "62706c6973743030d3010203040506516e526f6b5375726c102a095f101368747470733a2f2f612e6578616d70"
    "6c652f78080f1114181a1b0000000000000101000000000000000700000000000000000000000000000031");

// XML layout is the writer's own business (XmlPlistTest); here only which text is shown.
QString xmlOf(const PlistValue& value) {
    return QString::fromUtf8(XmlPlistWriter::write(value).value());
}

const QString foreignPlistXml =
    xmlOf(PlistValue::dictionary({{u"url"_s, PlistValue::string(u"https://a.example/x"_s)},
                                  {u"n"_s, PlistValue::integer(42)},
                                  {u"ok"_s, PlistValue::boolean(true)}}));

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
    const std::pair<QByteArray, QString> cases[] = {
        {{}, u"user.x (0 bytes):\n\n<>\n\nString content:\n\n\n"_s},
        {"Hello", u"user.x (5 bytes):\n\n<48656c6c 6f>\n\nString content:\n\nHello\n"_s},
        {QByteArray("\xff\x00\x01\x02", 4), u"user.x (4 bytes):\n\n<ff000102>\n\n"_s},
        {"bplist00junk", u"user.x (12 bytes):\n\n<62706c69 73743030 6a756e6b>\n\nProperty list "
                         "content:\n\nNot a binary Plist\n"_s},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(ResourceItem(u"user.x"_s, value).displayText(), expected);
    // A property list is shown as XML; one that XML cannot carry, or one not typed as a property
    // list, is not.
    const QString content = u">\n\nProperty list content:\n\n"_s;
    const QString no = u"Not a binary Plist\n"_s;
    EXPECT_TRUE(
        ResourceItem(u"user.p"_s, foreignPlist).displayText().endsWith(content + foreignPlistXml));
    EXPECT_TRUE(ResourceItem(u"user.x"_s, binaryOf(PlistValue::string(u"nul\u0000inside"_s)))
                    .displayText()
                    .endsWith(content + no));
    EXPECT_EQ(itemOfType(foreignPlist, ResourceItem::BinaryType).plistAsXML(), no);
}

TEST(RenderingTest, EditableTextFollowsTheRecordsType) {
    constexpr qint64 text = ResourceItem::TextType, plist = ResourceItem::PropertyListType;
    const std::tuple<QByteArray, qint64, QString> cases[] = {
        {"caf\xc3\xa9 au lait", text, u"café au lait"_s},
        {"\xff\xfe", text, u"<fffe>"_s},
        // A property list in any of the three formats is edited as XML, anything else as it is.
        {foreignPlist, plist, foreignPlistXml},
        {"<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>", plist,
         xmlOf(PlistValue::boolean(true))},
        {"(a, <0aff>)", plist,
         xmlOf(PlistValue::array({PlistValue::string(u"a"_s), PlistValue::data("\x0a\xff")}))},
        {"one two three", plist, u"one two three"_s},
        {"bplist00\xff\xfe", plist, u"<62706c69 73743030 fffe>"_s},
        {"Hello", ResourceItem::BinaryType, u"<48656c6c 6f>"_s},
        {"Hello", 3, u"<48656c6c 6f>"_s}, // the editor's fourth format
    };
    for (const auto& [value, type, expected] : cases)
        EXPECT_EQ(itemOfType(value, type).editableText(), expected) << value.toHex().constData();
}

TEST(RenderingTest, DescribeBinaryPlistNamesTheTopLevelClass) {
    const std::pair<PlistValue, QString> cases[] = {
        {PlistValue::array({PlistValue::string(u"a"_s), PlistValue::integer(-5)}),
         u"Binary Plist NSArray:\n(\n    a,\n    \"-5\"\n)"_s},
        {PlistValue::dictionary({{u"k"_s, PlistValue::boolean(true)}}),
         u"Binary Plist NSDictionary:\n{\n    k = 1;\n}"_s},
        {PlistValue::string(u"say \"hi\""_s), u"Binary Plist NSString:\nsay \"hi\""_s},
        {PlistValue::date(0), u"Binary Plist NSDate:\n2001-01-01 00:00:00 +0000"_s},
        {PlistValue::data("Hello"), u"Binary Plist NSData:\n<48656c6c 6f>"_s},
        {PlistValue::integer(42), u"Binary Plist NSNumber:\n42"_s},
        {PlistValue::real(3.25), u"Binary Plist NSNumber:\n3.25"_s},
        {PlistValue::boolean(false), u"Binary Plist NSNumber:\n0"_s},
        {PlistValue::uid(7), u"Binary Plist format not known.\n"_s},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(describeBinaryPlist(binaryOf(value)), expected);
    EXPECT_EQ(describeBinaryPlist(foreignPlistXml.toUtf8()), u"Not a binary Plist\n"_s);
}

// The description grows with the value, not with what its references expand to: five levels of
// arrays, each holding 14 references to the one below and the last a short string, stand for
// 537,824 strings in 136 bytes.
TEST(RenderingTest, AValuesDescriptionStaysInProportionToItsSize) {
    const QByteArray amplifying = QByteArray::fromHex(
        "62706c6973743030586162636465666768ae0000000000000000000000000000ae0101010101010101010101"
        "010101ae0202020202020202020202020202ae0303030303030303030303030303ae04040404040404040404"
        "04040404000800110020002f003e004d000000000000020100000000000000060000000000000005000000"
        "000000005c");
    const QString text = describeBinaryPlist(amplifying);
    const QString note =
        u"\n… (description cut after %1 characters)\n"_s.arg(describedLimit(amplifying.size()));
    EXPECT_TRUE(text.endsWith(note));
    EXPECT_LE(text.size(), describedLimit(amplifying.size()) + 100);
}

// What a person reads of a value shows its controls as escapes, in each content kind; the
// editor's text, which is written back, keeps them.
TEST(RenderingTest, ShownContentEscapesControlsTheEditorsTextKeepsThem) {
    const QString hex = u"<1b5d303b 7469746c 6507>"_s;
    EXPECT_EQ(ResourceItem(QByteArray("user.\x1b"), "\x1b]0;title\x07").displayText(),
              u"user.\\x1b (10 bytes):\n\n"_s + hex +
                  u"\n\nString content:\n\n\\x1b]0;title\\x07\n"_s);
    const QByteArray plist = binaryOf(PlistValue::string(u"cr\r nel\u0085 del\u007f lf\n"_s));
    // The XML form writes a carriage return as a character reference already.
    EXPECT_TRUE(
        ResourceItem(u"user.p"_s, plist)
            .displayText()
            .endsWith(u"<string>cr&#13; nel\\xc2\\x85 del\\x7f lf\n</string>\n</plist>\n"_s));
    EXPECT_EQ(describeBinaryPlist(binaryOf(PlistValue::string(u"\u001b[2J"_s))),
              u"Binary Plist NSString:\n\\x1b[2J"_s);
    EXPECT_EQ(itemOfType("\x1b[0m text", ResourceItem::TextType).editableText(),
              u"\u001b[0m text"_s);
}
