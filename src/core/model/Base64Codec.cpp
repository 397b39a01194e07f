#include "core/model/Base64Codec.h"

#include <algorithm>
#include <array>

namespace palvorn {

namespace {

// The white space of the C locale, which is what setfattr skips.
bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
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

ValueCodec::Decoded notBase64() {
    return ValueCodec::refused(QStringLiteral("The text is not base64"));
}

// After the prefix: whole groups of four, white space only between groups, padding only in the
// last group and with its unused bits zero: the strict reading that setfattr applies.
ValueCodec::Decoded decodeDump(QByteArrayView text) {
    if (text.size() < 2 || text[0] != '0' || (text[1] != 's' && text[1] != 'S'))
        return ValueCodec::refused(QStringLiteral("A base64 value starts with 0s"));
    text = text.sliced(2);
    QByteArray out(text.size() / 4 * 3, Qt::Uninitialized);
    char* next = out.data();
    qsizetype at = 0;
    bool padded = false;
    while (true) {
        while (at < text.size() && isCSpace(text[at]))
            ++at;
        if (at == text.size()) {
            out.truncate(next - out.constData());
            return out;
        }
        if (padded || text.size() - at < 4)
            return notBase64();
        const QByteArrayView group = text.sliced(at, 4);
        at += 4;
        int digits[4];
        int count = 4;
        for (int i = 0; i < 4; ++i) {
            digits[i] = base64Digit(group[i]);
            if (digits[i] < 0) {
                if (group[i] != '=' || i < 2)
                    return notBase64();
                count = std::min(count, i);
                digits[i] = 0;
            } else if (i >= count) {
                return notBase64(); // a digit after padding
            }
        }
        const unsigned bits =
            static_cast<unsigned>(digits[0] << 18 | digits[1] << 12 | digits[2] << 6 | digits[3]);
        if ((count == 2 && (bits & 0xffff) != 0) || (count == 3 && (bits & 0xff) != 0))
            return notBase64();
        *next++ = static_cast<char>(bits >> 16);
        if (count > 2)
            *next++ = static_cast<char>((bits >> 8) & 0xff);
        if (count > 3)
            *next++ = static_cast<char>(bits & 0xff);
        padded = count < 4;
    }
}

// Any white space between the characters, strictly decoded.
ValueCodec::Decoded decodeData(QStringView text) {
    QByteArray base64;
    base64.reserve(text.size());
    for (const QChar unit : text) {
        if (unit.isSpace())
            continue;
        if (unit.unicode() > 0x7F)
            return notBase64();
        base64.append(static_cast<char>(unit.unicode()));
    }
    // Qt drops a lone last character silently; its six bits cannot make a byte.
    if (base64.size() % 4 == 1)
        return notBase64();
    QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        std::move(base64), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return notBase64();
    return std::move(decoded.decoded);
}

} // namespace

QString Base64Codec::encode(QByteArrayView bytes) const {
    QByteArray out;
    appendEncoded(out, bytes);
    return QString::fromLatin1(out);
}

void Base64Codec::appendEncoded(QByteArray& out, QByteArrayView bytes) const {
    if (m_syntax == Syntax::Dump)
        out += "0s";
    out += bytes.toByteArray().toBase64();
}

ValueCodec::Decoded Base64Codec::decode(QStringView text) const {
    if (m_syntax == Syntax::Dump)
        return decodeDump(text.toLatin1());
    return decodeData(text);
}

ValueCodec::Decoded Base64Codec::decode(QByteArrayView text) const {
    if (m_syntax == Syntax::Dump)
        return decodeDump(text);
    return decodeData(QString::fromUtf8(text));
}

} // namespace palvorn
