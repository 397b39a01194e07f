#include "model/AttributeName.h"

#include "model/TextDecoding.h"

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

QString displayName(QByteArrayView listedName) {
    if (isAscii(listedName))
        return QString::fromLatin1(listedName);
    QString shown;
    shown.reserve(listedName.size());
    qsizetype at = 0;
    while (at < listedName.size()) {
        const QByteArrayView rest = listedName.sliced(at);
        if (const qsizetype length = validUtf8SequenceLength(rest)) {
            shown += QString::fromUtf8(rest.first(length));
            at += length;
        } else {
            shown += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(rest[0]), 2, 16,
                                                 QLatin1Char('0'));
            ++at;
        }
    }
    return shown;
}

} // namespace palvorn
