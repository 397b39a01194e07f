#include "core/model/JsonText.h"

#include "core/model/AttributeName.h"
#include "core/model/TextDecoding.h"
#include "core/model/ValueCodec.h"

#include <QJsonDocument>

namespace palvorn {

namespace {

// The JSON writer escapes C0 controls itself; DEL and the C1 controls (U+0080..U+009F, "\xc2\x80"
// to "\xc2\x9f" in UTF-8) it writes as they are. Outside strings JSON holds only ASCII
// punctuation, so every such byte here is inside a string.
QByteArray escapeControls(const QByteArray& json) {
    QByteArray escaped;
    escaped.reserve(json.size());
    for (qsizetype at = 0; at < json.size(); ++at) {
        const auto byte = static_cast<unsigned char>(json.at(at));
        const bool c1 = byte == 0xc2 && at + 1 < json.size() &&
                        static_cast<unsigned char>(json.at(at + 1)) < 0xa0;
        if (byte == 0x7f) {
            escaped += "\\u007f";
        } else if (c1) {
            escaped += "\\u00" + QByteArray::number(static_cast<unsigned char>(json.at(++at)), 16);
        } else {
            escaped += static_cast<char>(byte);
        }
    }
    return escaped;
}

} // namespace

void JsonText::insertBytes(QJsonObject& object, const QString& key, QByteArrayView bytes) {
    if (const std::optional<QString> text = decodeUtf8(bytes)) {
        object.insert(key, *text);
        return;
    }
    object.insert(key, displayName(bytes));
    insertValue(object, key + QStringLiteral("_base64"), bytes);
}

void JsonText::insertValue(QJsonObject& object, const QString& key, QByteArrayView value) {
    object.insert(key, ValueCodec::of(ValueEncoding::Base64).encode(value));
}

QByteArray JsonText::compact(const QJsonObject& object) {
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return json.contains('\x7f') || json.contains('\xc2') ? escapeControls(json) : json;
}

QByteArray JsonText::members(const QJsonObject& object) {
    const QByteArray json = compact(object);
    return json.sliced(1, json.size() - 2);
}

} // namespace palvorn
