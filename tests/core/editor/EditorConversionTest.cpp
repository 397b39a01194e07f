#include "core/editor/EditorConversion.h"

#include "core/plist/BinaryPlistReader.h"
#include "support/FailureTexts.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// Why nothing was saved; empty when the text converted.
QString problemOf(const Result<QByteArray>& converted) {
    return converted ? QString() : EditorConversion::problemOf(converted.error());
}

} // namespace

// Only pairs of digits read back; a refused text names the first character that is not a digit,
// quoted visibly, before anything is counted.
TEST(EditorConversionTest, HexTextReadsBackOnlyDigitPairs) {
    const auto quoted = [](const QString& shown, const QString& what) {
        return u"\u201c"_s + shown + u"\u201d is not "_s + what + u", so nothing was saved."_s;
    };
    const QString digit = u"a hexadecimal digit"_s, pair = u"a pair of hexadecimal digits"_s;
    const struct {
        QString text;
        std::optional<QByteArray> bytes;
        QString problem = {};
    } cases[] = {
        {u"<48 65 6c 6C 6f>"_s, QByteArray("Hello")},
        {u"<4865"_s, QByteArray("He")},
        {u"4865>"_s, QByteArray("He")},
        {u"<>"_s, QByteArray()},
        {u"+1+f-0"_s, QByteArray("\x01\x0f\x00", 3)},
        {u"4865 \r\n \n"_s, QByteArray("He")}, // what an editor leaves at the end is ignored
        {u"486"_s, {}, u"The hex text has an odd number of digits, so nothing was saved."_s},
        {u"4g"_s, {}, quoted(u"g"_s, digit)},
        {u"4\n65\t1"_s, {}, quoted(u"\\n"_s, digit)}, // a line break inside is not removed
        {u"4865\t1"_s, {}, quoted(u"\\t"_s, digit)},
        {u"48\r65"_s, {}, quoted(u"\\r"_s, digit)},
        {u"48\u00a065"_s, {}, quoted(u"U+00A0"_s, digit)},
        {u"48\u200b1"_s, {}, quoted(u"U+200B"_s, digit)},
        {u"48\U0001F600"_s, {}, quoted(u"\U0001F600"_s, digit)},
        {u"<48>65"_s, {}, quoted(u">"_s, digit)},
        {u"<<48>>"_s, {}, quoted(u"<"_s, digit)}, // one "<" and one ">" at most
        {u"-1"_s, {}, quoted(u"-1"_s, pair)},     // only zero may take a minus sign
        {u"4+"_s, {}, quoted(u"4+"_s, pair)},
    };
    for (const auto& c : cases) {
        const Result<QByteArray> result = EditorConversion::hexBytes(c.text);
        EXPECT_EQ(valueOf(result), c.bytes) << c.text.toStdString();
        EXPECT_EQ(problemOf(result), c.problem) << c.text.toStdString();
    }
}

TEST(EditorConversionTest, EachFormatGivesItsBytesAndType) {
    const qint64 typeOf[] = {0, 1, 2, 2};
    for (int format = 0; format < 4; ++format)
        EXPECT_EQ(EditorConversion::typeOfFormat(format), typeOf[format]) << format;
    const std::pair<qint64, int> opensIn[] = {{-4, 0}, {1, 1}, {3, 2}, {99, 2}};
    for (const auto& [type, format] : opensIn)
        EXPECT_EQ(EditorConversion::formatOfType(type), format) << type;

    const QString xml = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                        "<dict><key>n</key><integer>42</integer></dict>\n</plist>\n"_s;
    const struct {
        QString text;
        std::optional<PlistValue> value;
    } lists[] = {
        {xml, PlistValue::dictionary({{u"n"_s, PlistValue::integer(42)}})},
        {u"(b, <0aff>)"_s,
         PlistValue::array({PlistValue::string(u"b"_s), PlistValue::data("\x0a\xff")})},
        {u"one two three"_s, std::nullopt},
    };
    for (const auto& c : lists) {
        const Result<QByteArray> result =
            EditorConversion::bytesFor(EditorConversion::PropertyList, c.text);
        ASSERT_EQ(result.has_value(), c.value.has_value()) << c.text.toStdString();
        if (c.value)
            EXPECT_TRUE(BinaryPlistReader::read(*result) == *c.value) << c.text.toStdString();
        else
            EXPECT_EQ(problemOf(result),
                      u"The text is not a property list, so nothing was saved."_s);
    }
    EXPECT_EQ(valueOf(EditorConversion::bytesFor(EditorConversion::PlainText, u"caf\u00e9\n"_s)),
              QByteArray("caf\xc3\xa9\n"));
    EXPECT_EQ(valueOf(EditorConversion::bytesFor(EditorConversion::PlainText, QString())),
              QByteArray());
    EXPECT_EQ(valueOf(EditorConversion::bytesFor(EditorConversion::NotSupported, u"<41>"_s)),
              QByteArray("A"));
}
