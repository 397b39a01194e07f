#include "core/model/DisplayText.h"

#include "core/model/AttributeName.h"
#include "core/model/TextDecoding.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// Whether a person's terminal or window would take any of the text for a command.
bool holdsControl(const QString& text, bool keepsLineBreaks) {
    return std::any_of(text.cbegin(), text.cend(), [&](QChar c) {
        return DisplayText::isControl(c.unicode()) &&
               !(keepsLineBreaks && (c == u'\n' || c == u'\t'));
    });
}

} // namespace

// Names and values written by strangers, through both display rules: the name rule shows every
// control and backslash as an escape, the value rule keeps line feeds, tabs and backslashes.
// Markup is no control: widgets show it as plain text.
TEST(DisplayTextTest, HostileNamesAndValuesShowNoControlCharacter) {
    struct Case {
        QByteArray bytes;
        QString name;
        QString value; // empty: the bytes are not UTF-8, so no value text shows them
    };
    const Case cases[] = {
        {"a\x1b[31mRED\x1b[0m", u"a\\x1b[31mRED\\x1b[0m"_s, u"a\\x1b[31mRED\\x1b[0m"_s},
        {"\x1b]0;title\x07", u"\\x1b]0;title\\x07"_s, u"\\x1b]0;title\\x07"_s},
        {"two\nlines", u"two\\x0alines"_s, u"two\nlines"_s},
        {"tab\tbed", u"tab\\x09bed"_s, u"tab\tbed"_s},
        {"over\rwrite", u"over\\x0dwrite"_s, u"over\\x0dwrite"_s},
        {"back\x08space\x7f", u"back\\x08space\\x7f"_s, u"back\\x08space\\x7f"_s},
        {"csi\xc2\x9b"
         "2J nel\xc2\x85",
         u"csi\\xc2\\x9b2J nel\\xc2\\x85"_s, u"csi\\xc2\\x9b2J nel\\xc2\\x85"_s},
        {"lone\x9b"
         "byte",
         u"lone\\x9bbyte"_s,
         {}},
        {"typed\\x1b", u"typed\\\\x1b"_s, u"typed\\x1b"_s},
        {"<b>bold</b><img src=x>", u"<b>bold</b><img src=x>"_s, u"<b>bold</b><img src=x>"_s},
        {"nbsp\xc2\xa0"
         "caf\xc3\xa9",
         u"nbsp\u00a0caf\u00e9"_s, u"nbsp\u00a0caf\u00e9"_s},
    };
    for (const auto& [bytes, name, value] : cases) {
        EXPECT_EQ(displayName(bytes), name) << bytes.toHex().constData();
        EXPECT_FALSE(holdsControl(displayName(bytes), false));
        const std::optional<QString> text = decodeUtf8(bytes);
        ASSERT_EQ(text.has_value(), !value.isEmpty()) << bytes.toHex().constData();
        // Raw bytes on a terminal: the value rule, and \xHH for a byte that is not UTF-8.
        EXPECT_EQ(DisplayText::valueBytes(bytes), text ? value : name);
        if (!text)
            continue;
        EXPECT_EQ(DisplayText::value(*text), value) << bytes.toHex().constData();
        EXPECT_FALSE(holdsControl(DisplayText::value(*text), true));
    }
}

// A cut text fits its terminal columns (wide characters take two, marks none), says that it was
// cut, and never ends in half a character or half an escape.
TEST(DisplayTextTest, CutsOnACharacterBoundaryAndSaysSo) {
    const std::tuple<QString, qsizetype, QString> cases[] = {
        {u"short"_s, 5, u"short"_s},
        {u"abcdefgh"_s, 5, u"abcd…"_s},
        {u"ab\\x1bcd"_s, 5, u"ab…"_s},             // not inside \x1b
        {u"abc\\x1bdef"_s, 8, u"abc\\x1b…"_s},     // the escape whole
        {u"ab\\\\cd"_s, 4, u"ab…"_s},              // not between the two backslashes of one
        {u"abc\U0001F600z"_s, 5, u"abc…"_s},       // not inside a surrogate pair
        {u"abcde\u0301fg"_s, 5, u"abcd…"_s},       // not between a letter and its accent
        {u"abcde\u0301f"_s, 6, u"abcde\u0301f"_s}, // an accent takes no column
        {u"\u65e5\u672c\u8a9e\u306e\u6587\u5b57"_s, 7, u"\u65e5\u672c\u8a9e…"_s}, // wide
        {u"abcdef"_s, 1, u"…"_s},
    };
    for (const auto& [text, columns, cut] : cases)
        EXPECT_EQ(DisplayText::cut(text, columns), cut) << text.toStdString();
}
