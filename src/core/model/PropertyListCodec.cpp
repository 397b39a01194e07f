#include "core/model/PropertyListCodec.h"

#include "core/model/HexCodec.h"
#include "core/model/TextDecoding.h"
#include "core/plist/PropertyListSerialization.h"

namespace palvorn {

std::optional<QString> PropertyListCodec::xmlText(QByteArrayView bytes) {
    const auto read = PropertyListSerialization::read(bytes);
    if (!read)
        return std::nullopt;
    const std::optional<QByteArray> xml =
        PropertyListSerialization::write(read->value, PropertyListSerialization::Format::Xml);
    if (!xml)
        return std::nullopt;
    return decodeUtf8(*xml).value_or(QString());
}

QString PropertyListCodec::encode(QByteArrayView bytes) const {
    if (std::optional<QString> xml = xmlText(bytes))
        return *std::move(xml);
    return decodeUtf8(bytes).value_or(HexCodec::grouped(bytes));
}

void PropertyListCodec::appendEncoded(QByteArray& out, QByteArrayView bytes) const {
    out += encode(bytes).toUtf8();
}

ValueCodec::Decoded PropertyListCodec::decode(QStringView text) const {
    const std::optional<PlistValue> value = PropertyListSerialization::readText(text.toString());
    if (!value)
        return refused(QStringLiteral("The text is not a property list"));
    std::optional<QByteArray> binary =
        PropertyListSerialization::write(*value, PropertyListSerialization::Format::Binary);
    if (!binary)
        return refused(QStringLiteral("This property list cannot be written in the binary format"));
    return std::move(*binary);
}

ValueCodec::Decoded PropertyListCodec::decode(QByteArrayView text) const {
    return decode(QStringView(QString::fromUtf8(text)));
}

} // namespace palvorn
