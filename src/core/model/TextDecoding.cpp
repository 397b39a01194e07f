#include "core/model/TextDecoding.h"

#include <algorithm>

#include <QStringDecoder>

namespace palvorn {

std::optional<QString> decodeUtf8(QByteArrayView bytes) {
    // Stateless: a sequence cut off at the end is an error, not something to wait for.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::optional<QString> decodeAscii(QByteArrayView bytes) {
    if (!isAscii(bytes))
        return std::nullopt;
    return QString::fromLatin1(bytes);
}

} // namespace palvorn
