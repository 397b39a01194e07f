#include "core/model/AttributeDump.h"

#include "core/model/TextCodec.h"

#include <algorithm>

namespace palvorn {

namespace {

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
            TextCodec::appendOctalEscape(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

} // namespace

std::optional<ValueEncoding> AttributeDump::encodingNamed(QStringView name) {
    if (name == u"text")
        return ValueEncoding::Text;
    if (name == u"hex")
        return ValueEncoding::Hex;
    if (name == u"base64")
        return ValueEncoding::Base64;
    return std::nullopt;
}

QByteArray AttributeDump::header(QByteArrayView path) {
    return "# file: " + escapePath(path) + '\n';
}

QByteArray AttributeDump::line(QByteArrayView name, QByteArrayView value, ValueEncoding encoding) {
    QByteArray line = escapeName(name);
    line.reserve(line.size() + 2 * value.size() + 5);
    line += '=';
    ValueCodec::of(encoding, ValueCodec::Syntax::Dump).appendEncoded(line, value);
    line += '\n';
    return line;
}

QByteArray AttributeDump::escapePath(QByteArrayView path) {
    return escaped(path, false);
}

QByteArray AttributeDump::escapeName(QByteArrayView name) {
    return escaped(name, true);
}

QByteArray AttributeDump::encodeValue(QByteArrayView value, ValueEncoding encoding) {
    QByteArray text;
    ValueCodec::of(encoding, ValueCodec::Syntax::Dump).appendEncoded(text, value);
    return text;
}

QByteArray AttributeDump::unescapeName(QByteArrayView text) {
    // Most names and paths hold no escape at all.
    if (!text.contains('\\'))
        return text.toByteArray();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* next = out.data();
    for (qsizetype at = 0; at < text.size();) {
        if (text[at] == '\\' && at + 3 < text.size() && TextCodec::isOctalDigit(text[at + 1]) &&
            TextCodec::isOctalDigit(text[at + 2]) && TextCodec::isOctalDigit(text[at + 3])) {
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
    ValueEncoding encoding = ValueEncoding::Text;
    if (text.size() >= 2 && text[0] == '0') {
        if (text[1] == 'x' || text[1] == 'X')
            encoding = ValueEncoding::Hex;
        else if (text[1] == 's' || text[1] == 'S')
            encoding = ValueEncoding::Base64;
    }
    ValueCodec::Decoded value = ValueCodec::of(encoding, ValueCodec::Syntax::Dump).decode(text);
    if (!value)
        return std::nullopt;
    return std::move(*value);
}

} // namespace palvorn
