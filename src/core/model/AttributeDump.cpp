#include "core/model/AttributeDump.h"

#include <algorithm>
#include <array>

namespace palvorn {

namespace {

void appendOctal(QByteArray& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

// Beyond what getfattr escapes, a NUL (which no listed name or path holds, but a dump read back
// may) and a name's leading "#" (a comment line otherwise; no Linux name starts so), so that
// whatever the reader takes from a dump is written back as the same.
bool needsEscape(char c) {
    return c == '\\' || c == '\n' || c == '\r' || c == '\0';
}

QByteArray escaped(QByteArrayView bytes, bool isName) {
    // Most names and paths need no escape: they are copied whole.
    if (std::none_of(bytes.begin(), bytes.end(), needsEscape) &&
        !(isName && (bytes.contains('=') || bytes.startsWith('#'))))
        return bytes.toByteArray();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (needsEscape(c) || (isName && (c == '=' || (c == '#' && i == 0))))
            appendOctal(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

QByteArray quotedText(QByteArrayView value) {
    // The attr tools treat a value as a C string that may carry its terminator: one trailing NUL
    // is dropped.
    if (value.endsWith('\0'))
        value.chop(1);
    QByteArray out;
    out.reserve(value.size() + 2);
    out += '"';
    for (const char c : value) {
        if (c == '\0' || c == '\n' || c == '\r') {
            appendOctal(out, static_cast<unsigned char>(c));
        } else {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
    }
    out += '"';
    return out;
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The white space of the C locale, which is what setfattr skips.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// White space anywhere; an even number of digits.
std::optional<QByteArray> decodeHex(QByteArrayView text) {
    QByteArray out(text.size() / 2, Qt::Uninitialized);
    char* next = out.data();
    int high = -1;
    for (const char c : text) {
        if (isSpace(c))
            continue;
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        if (high < 0) {
            high = digit;
        } else {
            *next++ = static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    if (high >= 0)
        return std::nullopt;
    out.truncate(next - out.constData());
    return out;
}

// Each byte's base64 digit, or -1; a table, as a restore decodes every byte of a dump's values.
constexpr std::array<signed char, 256> base64Digits = [] {
    std::array<signed char, 256> digits{};
    digits.fill(-1);
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        digits[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    return digits;
}();

int base64Digit(char c) {
    return base64Digits[static_cast<unsigned char>(c)];
}

// Whole groups of four, white space only between groups, padding only in the last group and
// with its unused bits zero: the strict reading that setfattr applies.
std::optional<QByteArray> decodeBase64(QByteArrayView text) {
    QByteArray out(text.size() / 4 * 3, Qt::Uninitialized);
    char* next = out.data();
    qsizetype at = 0;
    bool padded = false;
    while (true) {
        while (at < text.size() && isSpace(text[at]))
            ++at;
        if (at == text.size()) {
            out.truncate(next - out.constData());
            return out;
        }
        if (padded || text.size() - at < 4)
            return std::nullopt;
        const QByteArrayView group = text.sliced(at, 4);
        at += 4;
        int digits[4];
        int count = 4;
        for (int i = 0; i < 4; ++i) {
            digits[i] = base64Digit(group[i]);
            if (digits[i] < 0) {
                if (group[i] != '=' || i < 2)
                    return std::nullopt;
                count = std::min(count, i);
                digits[i] = 0;
            } else if (i >= count) {
                return std::nullopt; // a digit after padding
            }
        }
        const unsigned bits =
            static_cast<unsigned>(digits[0] << 18 | digits[1] << 12 | digits[2] << 6 | digits[3]);
        if ((count == 2 && (bits & 0xffff) != 0) || (count == 3 && (bits & 0xff) != 0))
            return std::nullopt;
        *next++ = static_cast<char>(bits >> 16);
        if (count > 2)
            *next++ = static_cast<char>((bits >> 8) & 0xff);
        if (count > 3)
            *next++ = static_cast<char>(bits & 0xff);
        padded = count < 4;
    }
}

// A text is quoted when it both starts and ends with a quote. An escape may take the closing
// quote as its second character, as setfattr reads it ("a\" is a and a quote).
QByteArray decodeText(QByteArrayView text) {
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    const qsizetype end = quoted ? text.size() - 1 : text.size();
    QByteArray out;
    out.reserve(text.size());
    qsizetype at = quoted ? 1 : 0;
    while (at < end) {
        const char c = text[at];
        if (c != '\\' || at + 1 >= text.size()) {
            out += c;
            ++at;
        } else if (isOctalDigit(text[at + 1])) {
            unsigned value = 0;
            qsizetype digits = 0;
            while (digits < 3 && at + 1 + digits < text.size() &&
                   isOctalDigit(text[at + 1 + digits]))
                value = value * 8 + static_cast<unsigned>(text[at + 1 + digits++] - '0');
            out += static_cast<char>(value & 0xff);
            at += 1 + digits;
        } else if (text[at + 1] == '\\' || text[at + 1] == '"') {
            out += text[at + 1];
            at += 2;
        } else {
            out += c;
            ++at;
        }
    }
    return out;
}

} // namespace

std::optional<DumpEncoding> AttributeDump::encodingNamed(QStringView name) {
    if (name == u"text")
        return DumpEncoding::Text;
    if (name == u"hex")
        return DumpEncoding::Hex;
    if (name == u"base64")
        return DumpEncoding::Base64;
    return std::nullopt;
}

QByteArray AttributeDump::header(QByteArrayView path) {
    return "# file: " + escapePath(path) + '\n';
}

QByteArray AttributeDump::line(QByteArrayView name, QByteArrayView value, DumpEncoding encoding) {
    QByteArray line = escapeName(name);
    const QByteArray encoded = encodeValue(value, encoding);
    line.reserve(line.size() + encoded.size() + 2);
    line += '=';
    line += encoded;
    line += '\n';
    return line;
}

QByteArray AttributeDump::escapePath(QByteArrayView path) {
    return escaped(path, false);
}

QByteArray AttributeDump::escapeName(QByteArrayView name) {
    return escaped(name, true);
}

QByteArray AttributeDump::encodeValue(QByteArrayView value, DumpEncoding encoding) {
    switch (encoding) {
    case DumpEncoding::Text:
        return quotedText(value);
    case DumpEncoding::Hex:
        return "0x" + value.toByteArray().toHex();
    case DumpEncoding::Base64:
        return "0s" + value.toByteArray().toBase64();
    }
    return {};
}

QByteArray AttributeDump::unescapeName(QByteArrayView text) {
    // Most names and paths hold no escape at all.
    if (!text.contains('\\'))
        return text.toByteArray();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* next = out.data();
    for (qsizetype at = 0; at < text.size();) {
        if (text[at] == '\\' && at + 3 < text.size() && isOctalDigit(text[at + 1]) &&
            isOctalDigit(text[at + 2]) && isOctalDigit(text[at + 3])) {
            const unsigned value = static_cast<unsigned>(
                (text[at + 1] - '0') * 64 + (text[at + 2] - '0') * 8 + (text[at + 3] - '0'));
            *next++ = static_cast<char>(value & 0xff);
            at += 4;
        } else {
            *next++ = text[at++];
        }
    }
    out.truncate(next - out.constData());
    return out;
}

std::optional<QByteArray> AttributeDump::decodeValue(QByteArrayView text) {
    if (text.size() >= 2 && text[0] == '0') {
        if (text[1] == 'x' || text[1] == 'X')
            return decodeHex(text.sliced(2));
        if (text[1] == 's' || text[1] == 'S')
            return decodeBase64(text.sliced(2));
    }
    return decodeText(text);
}

} // namespace palvorn
