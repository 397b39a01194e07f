#include "core/model/ByteText.h"

#include "core/model/AttributeName.h"
#include "core/model/TextDecoding.h"

namespace palvorn {

namespace {

constexpr char16_t escapeBase = 0xdc00;

bool isEscapedByte(char16_t unit) {
    return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xff;
}

} // namespace

QString ByteText::decode(QByteArrayView bytes) {
    if (const std::optional<QString> text = decodeUtf8(bytes))
        return *text;
    QString text;
    text.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = validUtf8SequenceLength(bytes.sliced(at));
        if (length > 0) {
            text += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            text += QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
        }
    }
    return text;
}

QByteArray ByteText::encode(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isEscapedByte(text.at(i).unicode()))
            continue;
        bytes += text.sliced(start, i - start).toUtf8();
        if (i < text.size())
            bytes += char(text.at(i).unicode() - escapeBase);
        start = i + 1;
    }
    return bytes;
}

} // namespace palvorn
