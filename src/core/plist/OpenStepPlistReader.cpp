#include "core/plist/OpenStepPlistReader.h"

#include "core/model/ValueCodec.h"
#include "core/plist/BinaryPlistReader.h"

#include <algorithm>
#include <array>

namespace palvorn {

namespace {

using Unit = char16_t;

constexpr Unit lineSeparator = 0x2028;
constexpr Unit paragraphSeparator = 0x2029;

// The NeXTSTEP character set from 0x80 up, which octal escapes above \177 name. 0xFE and 0xFF
// are unassigned there and read as the replacement character.
constexpr std::array<Unit, 128> nextStepUpperHalf = {
    0x00A0, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C7, // 0x80
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // 0x88
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D9, // 0x90
    0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00B5, 0x00D7, 0x00F7, // 0x98
    0x00A9, 0x00A1, 0x00A2, 0x00A3, 0x2044, 0x00A5, 0x0192, 0x00A7, // 0xA0
    0x00A4, 0x0027, 0x201C, 0x00AB, 0x2039, 0x203A, 0xFB01, 0xFB02, // 0xA8
    0x00AE, 0x2013, 0x2020, 0x2021, 0x00B7, 0x00A6, 0x00B6, 0x2022, // 0xB0
    0x201A, 0x201E, 0x201D, 0x00BB, 0x2026, 0x2030, 0x00AC, 0x00BF, // 0xB8
    0x00B9, 0x02CB, 0x00B4, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, // 0xC0
    0x00A8, 0x00B2, 0x02DA, 0x00B8, 0x00B3, 0x02DD, 0x02DB, 0x02C7, // 0xC8
    0x2014, 0x00B1, 0x00BC, 0x00BD, 0x00BE, 0x00E0, 0x00E1, 0x00E2, // 0xD0
    0x00E3, 0x00E4, 0x00E5, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB, // 0xD8
    0x00EC, 0x00C6, 0x00ED, 0x00AA, 0x00EE, 0x00EF, 0x00F0, 0x00F1, // 0xE0
    0x0141, 0x00D8, 0x0152, 0x00BA, 0x00F2, 0x00F3, 0x00F4, 0x00F5, // 0xE8
    0x00F6, 0x00E6, 0x00F9, 0x00FA, 0x00FB, 0x0131, 0x00FC, 0x00FD, // 0xF0
    0x0142, 0x00F8, 0x0153, 0x00DF, 0x00FE, 0x00FF, 0xFFFD, 0xFFFD, // 0xF8
};

bool isSpace(Unit c) {
    return (c >= 0x09 && c <= 0x0D) || c == u' ' || c == lineSeparator || c == paragraphSeparator;
}

bool isLineEnd(Unit c) {
    return c == u'\n' || c == u'\r' || c == lineSeparator || c == paragraphSeparator;
}

bool isUnquoted(Unit c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$' || c == u'/' || c == u':' || c == u'.' || c == u'-';
}

bool startsString(Unit c) {
    return c == u'"' || c == u'\'' || isUnquoted(c);
}

int hexValue(Unit c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool isOctal(Unit c) {
    return c >= u'0' && c <= u'7';
}

// Recursive descent over the UTF-16 units. Recursion follows the nesting of the text, which
// object() cuts off at BinaryPlistReader::maxDepth.
class Parser {
public:
    explicit Parser(const QString& text)
        : m_begin(QStringView(text).utf16()), m_end(m_begin + text.size()), m_pos(m_begin) {}

    std::optional<PlistValue> document();

private:
    bool atEnd() const { return m_pos == m_end; }
    bool at(Unit c) const { return m_pos != m_end && *m_pos == c; }
    bool countNode() { return ++m_nodes <= BinaryPlistReader::maxExpandedNodes; }

    void skipSpace();
    std::optional<PlistValue> object(int depth);
    std::optional<QString> string();
    std::optional<QString> quoted();
    bool escape(QString& out);
    std::optional<PlistValue> data();
    std::optional<PlistValue> array(int depth);
    std::optional<PlistValue> dictionaryContent(int depth);

    const Unit* m_begin;
    const Unit* m_end;
    const Unit* m_pos;
    qint64 m_nodes = 0;
};

std::optional<PlistValue> Parser::document() {
    skipSpace();
    if (atEnd())
        return PlistValue::dictionary({});
    std::optional<PlistValue> root = object(0);
    if (!root)
        return std::nullopt;
    skipSpace();
    if (atEnd())
        return root;
    if (root->kind() != PlistValue::Kind::String)
        return std::nullopt;

    // A string with more text after it was the first key of a strings file: a dictionary body
    // without braces, which must then take up the whole text.
    m_pos = m_begin;
    m_nodes = 1;
    std::optional<PlistValue> strings = dictionaryContent(0);
    skipSpace();
    if (!strings || !atEnd())
        return std::nullopt;
    return strings;
}

void Parser::skipSpace() {
    static constexpr Unit commentEnd[] = {u'*', u'/'};
    while (m_pos != m_end) {
        if (isSpace(*m_pos)) {
            ++m_pos;
        } else if (*m_pos == u'/' && m_end - m_pos >= 2 && m_pos[1] == u'/') {
            m_pos = std::find_if(m_pos + 2, m_end, isLineEnd);
        } else if (*m_pos == u'/' && m_end - m_pos >= 2 && m_pos[1] == u'*') {
            // Not nested; an unterminated comment runs to the end of the text.
            m_pos = std::search(m_pos + 2, m_end, std::begin(commentEnd), std::end(commentEnd));
            m_pos = m_pos == m_end ? m_end : m_pos + 2;
        } else {
            return;
        }
    }
}

// Expects to stand on the object's first unit.
std::optional<PlistValue> Parser::object(int depth) {
    if (depth > BinaryPlistReader::maxDepth || !countNode() || atEnd())
        return std::nullopt;
    switch (*m_pos) {
    case u'{': {
        ++m_pos;
        std::optional<PlistValue> dictionary = dictionaryContent(depth);
        skipSpace();
        if (!dictionary || !at(u'}'))
            return std::nullopt;
        ++m_pos;
        return dictionary;
    }
    case u'(':
        return array(depth);
    case u'<':
        return data();
    default:
        if (!startsString(*m_pos))
            return std::nullopt;
        std::optional<QString> text = string();
        return text ? std::optional(PlistValue::string(std::move(*text))) : std::nullopt;
    }
}

// Expects to stand on a quote or a character of an unquoted string.
std::optional<QString> Parser::string() {
    if (*m_pos == u'"' || *m_pos == u'\'')
        return quoted();
    const Unit* start = m_pos;
    m_pos = std::find_if_not(m_pos, m_end, isUnquoted);
    return QStringView(start, m_pos).toString();
}

std::optional<QString> Parser::quoted() {
    const Unit quote = *m_pos++;
    QString out;
    while (true) {
        const Unit* run = m_pos;
        m_pos = std::find_if(m_pos, m_end, [quote](Unit c) { return c == quote || c == u'\\'; });
        out.append(QStringView(run, m_pos));
        if (atEnd())
            return std::nullopt; // unterminated
        if (*m_pos++ == quote)
            return out;
        if (!escape(out))
            return std::nullopt;
    }
}

// Expects to stand just after a backslash.
bool Parser::escape(QString& out) {
    if (atEnd())
        return false;
    const Unit c = *m_pos++;
    switch (c) {
    case u'a':
        out.append(QChar(0x07));
        return true;
    case u'b':
        out.append(QChar(0x08));
        return true;
    case u'f':
        out.append(QChar(0x0C));
        return true;
    case u'n':
        out.append(QChar(0x0A));
        return true;
    case u'r':
        out.append(QChar(0x0D));
        return true;
    case u't':
        out.append(QChar(0x09));
        return true;
    case u'v':
        out.append(QChar(0x0B));
        return true;
    case u'U': {
        // Up to four hex digits name one UTF-16 unit; none at all names U+0000.
        Unit unit = 0;
        for (int digits = 0; digits < 4 && !atEnd() && hexValue(*m_pos) >= 0; ++digits)
            unit = Unit(unit * 16 + hexValue(*m_pos++));
        out.append(QChar(unit));
        return true;
    }
    default:
        break;
    }
    if (!isOctal(c)) {
        out.append(QChar(c)); // \" \' \\ and a backslash before a line feed included
        return true;
    }
    // One to three octal digits name a byte in the NeXTSTEP character set.
    int byte = c - u'0';
    for (int digits = 1; digits < 3 && !atEnd() && isOctal(*m_pos); ++digits)
        byte = byte * 8 + (*m_pos++ - u'0');
    if (byte > 0xFF)
        return false;
    out.append(QChar(byte < 0x80 ? Unit(byte) : nextStepUpperHalf[size_t(byte - 0x80)]));
    return true;
}

// Up to the ">": the hex codec reads what is between, as a property list's data.
std::optional<PlistValue> Parser::data() {
    const Unit* const begin = ++m_pos;
    const Unit* const end = std::find(begin, m_end, u'>');
    if (end == m_end)
        return std::nullopt;
    m_pos = end + 1;
    ValueCodec::Decoded bytes = ValueCodec::of(ValueEncoding::Hex, ValueCodec::Syntax::PropertyList)
                                    .decode(QStringView(begin, end));
    if (!bytes)
        return std::nullopt;
    return PlistValue::data(std::move(*bytes));
}

std::optional<PlistValue> Parser::array(int depth) {
    ++m_pos;
    PlistValue::Array elements;
    skipSpace();
    if (at(u')')) {
        ++m_pos;
        return PlistValue::array({});
    }
    while (true) {
        std::optional<PlistValue> element = object(depth + 1);
        if (!element)
            return std::nullopt;
        elements.append(std::move(*element));
        skipSpace();
        if (at(u',')) {
            ++m_pos;
            skipSpace(); // a trailing comma is allowed
        } else if (!at(u')')) {
            return std::nullopt;
        }
        if (at(u')')) {
            ++m_pos;
            return PlistValue::array(std::move(elements));
        }
    }
}

// Entries up to the first unit that cannot start a key; the caller checks what follows.
std::optional<PlistValue> Parser::dictionaryContent(int depth) {
    PlistValue::Dictionary entries;
    while (true) {
        skipSpace();
        if (atEnd() || !startsString(*m_pos))
            return PlistValue::dictionary(std::move(entries)); // repeated keys: the last wins
        std::optional<QString> key = string();
        if (!key || !countNode())
            return std::nullopt;
        skipSpace();
        if (at(u';')) {
            // `key;` stands for `key = key;`.
            ++m_pos;
            if (!countNode())
                return std::nullopt;
            PlistValue value = PlistValue::string(*key);
            entries.append({std::move(*key), std::move(value)});
            continue;
        }
        if (!at(u'='))
            return std::nullopt;
        ++m_pos;
        skipSpace();
        std::optional<PlistValue> value = object(depth + 1);
        if (!value)
            return std::nullopt;
        skipSpace();
        if (!at(u';'))
            return std::nullopt;
        ++m_pos;
        entries.append({std::move(*key), std::move(*value)});
    }
}

} // namespace

std::optional<PlistValue> OpenStepPlistReader::read(const QString& text) {
    return Parser(text).document();
}

} // namespace palvorn
