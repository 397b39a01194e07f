#include "core/model/HexCodec.h"

#include <optional>
#include <type_traits>

namespace palvorn {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

template <typename Unit> int digitValue(Unit c) {
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    return -1;
}

// A text's character as a number: a UTF-16 unit, or a byte of a dump.
char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
unsigned char unitAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text[i]);
}

// The white space of the C locale, which is what setfattr skips.
template <typename Unit> bool isCSpace(Unit c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An old-style property list's data allows fewer separators than the rest of its text: no
// vertical tab, form feed or comment.
bool isDataSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
}

// The text with every character that cannot be seen spelled out: "\n", "\r", "\t", or its code
// as "U+200B", so that a refused text shows what is actually there.
QString visibleText(QStringView text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c == u'\t')
            shown += QStringLiteral("\\t");
        else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            shown += text.sliced(i++, 2);
        else if (c.isSurrogate() || !c.isPrint() || (c.isSpace() && c != u' '))
            shown += QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

QString notADigit(QStringView character) {
    return QStringLiteral("\u201c%1\u201d is not a hexadecimal digit").arg(visibleText(character));
}

QString oddDigits() {
    return QStringLiteral("The hex text has an odd number of digits");
}

// The dump's form after its prefix: white space anywhere; an even number of digits.
template <typename View> ValueCodec::Decoded decodeDump(View text) {
    if (text.size() < 2 || unitAt(text, 0) != '0' ||
        (unitAt(text, 1) != 'x' && unitAt(text, 1) != 'X'))
        return ValueCodec::refused(QStringLiteral("A hex value starts with 0x"));
    text = text.sliced(2);
    QByteArray out(text.size() / 2, Qt::Uninitialized);
    char* next = out.data();
    int high = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = unitAt(text, i);
        if (isCSpace(c))
            continue;
        const int digit = digitValue(c);
        if (digit < 0) {
            if constexpr (std::is_same_v<View, QStringView>)
                return ValueCodec::refused(notADigit(text.sliced(i, 1)));
            else
                return ValueCodec::refused(notADigit(QString::fromLatin1(text.sliced(i, 1))));
        }
        if (high < 0) {
            high = digit;
        } else {
            *next++ = static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    if (high >= 0)
        return ValueCodec::refused(oddDigits());
    out.truncate(next - out.constData());
    return out;
}

// One pair as an unsigned 8-bit number in base 16: two digits, or a sign and one digit.
std::optional<char> pairValue(QChar first, QChar second) {
    const int low = digitValue(second.unicode());
    if (low < 0)
        return std::nullopt;
    if (first == u'+')
        return char(low);
    if (first == u'-')
        return low == 0 ? std::optional<char>(0) : std::nullopt;
    const int high = digitValue(first.unicode());
    if (high < 0)
        return std::nullopt;
    return char(high * 16 + low);
}

// Line breaks and spaces after the text are what an editor leaves there, not part of it.
QStringView withoutTrailingBreaks(QStringView text) {
    while (!text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
        text.chop(1);
    return text;
}

ValueCodec::Decoded decodeEditor(QStringView text) {
    QString digits = withoutTrailingBreaks(text).toString();
    digits.remove(u' ');
    if (digits.startsWith(u'<'))
        digits.remove(0, 1);
    if (digits.endsWith(u'>'))
        digits.chop(1);
    // A character that cannot be a digit (a tab, a no-break space, a ">" with text after it) is
    // named as such before any counting: counted as a digit it would give a wrong reason.
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const QChar c = digits.at(i);
        if (digitValue(c.unicode()) >= 0 || c == u'+' || c == u'-')
            continue;
        const qsizetype length =
            c.isHighSurrogate() && i + 1 < digits.size() && digits.at(i + 1).isLowSurrogate() ? 2
                                                                                              : 1;
        return ValueCodec::refused(notADigit(QStringView(digits).sliced(i, length)));
    }
    if (digits.size() % 2 != 0)
        return ValueCodec::refused(oddDigits());
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const std::optional<char> byte = pairValue(digits.at(i), digits.at(i + 1));
        if (!byte)
            return ValueCodec::refused(
                QStringLiteral("\u201c%1\u201d is not a pair of hexadecimal digits")
                    .arg(visibleText(QStringView(digits).sliced(i, 2))));
        bytes.append(*byte);
    }
    return bytes;
}

// Pairs of digits, white space only between the pairs.
ValueCodec::Decoded decodePropertyListData(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype at = 0;;) {
        while (at < text.size() && isDataSpace(text[at].unicode()))
            ++at;
        if (at == text.size())
            return bytes;
        const int high = digitValue(text[at].unicode());
        if (high < 0)
            return ValueCodec::refused(notADigit(text.sliced(at, 1)));
        if (++at == text.size())
            return ValueCodec::refused(oddDigits());
        const int low = digitValue(text[at].unicode());
        if (low < 0)
            return ValueCodec::refused(notADigit(text.sliced(at, 1)));
        ++at;
        bytes.append(char(high * 16 + low));
    }
}

} // namespace

QString HexCodec::grouped(QByteArrayView bytes) {
    QByteArray out;
    appendGrouped(out, bytes);
    return QString::fromLatin1(out);
}

void HexCodec::appendGrouped(QByteArray& out, QByteArrayView bytes) {
    const qsizetype at = out.size();
    out.resize(at + 2 + bytes.size() * 2 + (bytes.size() > 0 ? (bytes.size() - 1) / 4 : 0));
    char* text = out.data() + at;
    *text++ = '<';
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            *text++ = ' ';
        const auto byte = static_cast<unsigned char>(bytes[i]);
        *text++ = hexDigits[byte >> 4];
        *text++ = hexDigits[byte & 0xF];
    }
    *text = '>';
}

QString HexCodec::encode(QByteArrayView bytes) const {
    QByteArray out;
    appendEncoded(out, bytes);
    return QString::fromLatin1(out);
}

void HexCodec::appendEncoded(QByteArray& out, QByteArrayView bytes) const {
    if (m_syntax != Syntax::Dump) {
        appendGrouped(out, bytes);
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + 2 + bytes.size() * 2);
    char* text = out.data() + at;
    *text++ = '0';
    *text++ = 'x';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *text++ = hexDigits[byte >> 4];
        *text++ = hexDigits[byte & 0xF];
    }
}

ValueCodec::Decoded HexCodec::decode(QStringView text) const {
    switch (m_syntax) {
    case Syntax::Dump:
        return decodeDump(text);
    case Syntax::PropertyList:
        return decodePropertyListData(text);
    case Syntax::Editor:
        break;
    }
    return decodeEditor(text);
}

ValueCodec::Decoded HexCodec::decode(QByteArrayView text) const {
    if (m_syntax == Syntax::Dump)
        return decodeDump(text);
    return decode(QStringView(QString::fromUtf8(text)));
}

} // namespace palvorn
