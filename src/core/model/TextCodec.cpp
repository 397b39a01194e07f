#include "core/model/TextCodec.h"

#include "core/model/HexCodec.h"
#include "core/model/TextDecoding.h"

#include <algorithm>

namespace palvorn {

void TextCodec::appendOctalEscape(QByteArray& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

namespace {

void appendQuoted(QByteArray& out, QByteArrayView value) {
    // The attr tools treat a value as a C string that may carry its terminator: one trailing NUL
    // is dropped.
    if (value.endsWith('\0'))
        value.chop(1);
    out.reserve(out.size() + value.size() + 2);
    out += '"';
    for (const char c : value) {
        if (c == '\0' || c == '\n' || c == '\r') {
            TextCodec::appendOctalEscape(out, static_cast<unsigned char>(c));
        } else {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
    }
    out += '"';
}

// A text is quoted when it both starts and ends with a quote. An escape may take the closing
// quote as its second character, as setfattr reads it ("a\" is a and a quote).
QByteArray unquoted(QByteArrayView text) {
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
        } else if (TextCodec::isOctalDigit(text[at + 1])) {
            unsigned value = 0;
            qsizetype digits = 0;
            while (digits < 3 && at + 1 + digits < text.size() &&
                   TextCodec::isOctalDigit(text[at + 1 + digits]))
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

QString TextCodec::encode(QByteArrayView bytes) const {
    if (m_syntax != Syntax::Dump)
        return decodeUtf8(bytes).value_or(HexCodec::grouped(bytes));
    QByteArray out;
    appendQuoted(out, bytes);
    return QString::fromLatin1(out);
}

void TextCodec::appendEncoded(QByteArray& out, QByteArrayView bytes) const {
    if (m_syntax == Syntax::Dump)
        appendQuoted(out, bytes);
    else
        out += encode(bytes).toUtf8();
}

ValueCodec::Decoded TextCodec::decode(QStringView text) const {
    if (m_syntax != Syntax::Dump)
        return text.toUtf8();
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xff; }))
        return refused(QStringLiteral("A dump's text holds bytes only"));
    return decode(QByteArrayView(text.toLatin1()));
}

ValueCodec::Decoded TextCodec::decode(QByteArrayView text) const {
    if (m_syntax != Syntax::Dump)
        return text.toByteArray();
    return unquoted(text);
}

} // namespace palvorn
