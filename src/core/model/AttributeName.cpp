#include "core/model/AttributeName.h"

#include "core/model/ByteText.h"
#include "core/model/DisplayText.h"

#include <algorithm>

namespace palvorn {

qsizetype validUtf8SequenceLength(QByteArrayView bytes) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xbf; // bounds of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0; // overlong
        if (lead == 0xed)
            high = 0x9f; // surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90; // overlong
        if (lead == 0xf4)
            high = 0x8f; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xbf)
            return 0;
    }
    return length;
}

void splitNameList(QByteArrayView list, QList<QByteArrayView>& names) {
    names.clear();
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf('\0', start);
        if (end < 0)
            end = list.size();
        if (end > start)
            names.append(list.sliced(start, end - start));
        start = end + 1;
    }
}

namespace {

// Printable ASCII but the backslash: shown as it is, which is how most names are.
bool isPlainAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return byte >= 0x20 && byte < 0x7f && byte != '\\'; });
}

int hexValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

QString displayName(QByteArrayView listedName) {
    if (isPlainAscii(listedName))
        return QString::fromLatin1(listedName);
    QString shown;
    shown.reserve(listedName.size() + 8);
    qsizetype at = 0;
    while (at < listedName.size()) {
        const QByteArrayView rest = listedName.sliced(at);
        const qsizetype length = validUtf8SequenceLength(rest);
        if (length == 0) {
            DisplayText::appendEscapes(shown, rest.first(1));
            ++at;
            continue;
        }
        const QByteArrayView sequence = rest.first(length);
        const char16_t lead = static_cast<unsigned char>(sequence[0]);
        // C1 controls are the two-byte sequences c2 80 to c2 9f.
        const bool control = length == 1
                                 ? DisplayText::isControl(lead)
                                 : lead == 0xc2 && static_cast<unsigned char>(sequence[1]) < 0xa0;
        if (control)
            DisplayText::appendEscapes(shown, sequence);
        else if (lead == u'\\')
            shown += QStringLiteral("\\\\");
        else if (length == 1)
            shown += QChar(lead);
        else
            shown += QString::fromUtf8(sequence);
        at += length;
    }
    return shown;
}

TypedName typedName(QStringView typed) {
    QByteArray name;
    qsizetype plain = 0; // where the text since the last escape starts
    for (qsizetype at = 0; at < typed.size(); ++at) {
        if (typed.at(at) != u'\\')
            continue;
        name += ByteText::encode(typed.sliced(plain, at - plain));
        const QStringView escape = typed.sliced(at, std::min<qsizetype>(4, typed.size() - at));
        if (escape.startsWith(u"\\\\")) {
            name += '\\';
            ++at;
        } else if (escape.size() == 4 && escape.at(1) == u'x' && hexValue(escape.at(2)) >= 0 &&
                   hexValue(escape.at(3)) >= 0) {
            const int byte = hexValue(escape.at(2)) * 16 + hexValue(escape.at(3));
            if (byte == 0)
                return {std::nullopt, QStringLiteral("a name cannot hold the byte \\x00")};
            name += char(byte);
            at += 3;
        } else {
            return {std::nullopt,
                    QStringLiteral("\u201c%1\u201d in a name: a backslash is typed as \\\\, "
                                   "a byte as \\xHH")
                        .arg(DisplayText::value(
                            escape.first(std::min<qsizetype>(2, escape.size())).toString()))};
        }
        plain = at + 1;
    }
    name += ByteText::encode(typed.sliced(plain));
    return {name, {}};
}

} // namespace palvorn
