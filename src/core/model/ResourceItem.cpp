#include "core/model/ResourceItem.h"

#include "core/model/AttributeName.h"
#include "core/model/AttributeStructure.h"
#include "core/model/DisplayText.h"
#include "core/model/HexCodec.h"
#include "core/model/PropertyListCodec.h"
#include "core/model/TextDecoding.h"
#include "core/plist/BinaryPlistReader.h"
#include "core/plist/BinaryPlistWriter.h"
#include "core/plist/PropertyListSerialization.h"

namespace palvorn {

namespace {

const QString nameKey = QStringLiteral("name");
const QString dataKey = QStringLiteral("data");

QString sizeText(qsizetype length) {
    return QStringLiteral("%1 bytes").arg(length);
}

const QString notABinaryPlist = QStringLiteral("Not a binary Plist\n");

std::optional<QString> xmlTextOf(const PlistValue& value) {
    const std::optional<QByteArray> xml =
        PropertyListSerialization::write(value, PropertyListSerialization::Format::Xml);
    return xml ? decodeUtf8(*xml) : std::nullopt;
}

} // namespace

ResourceItem::ResourceItem(QByteArray rawName, QByteArray data)
    : m_rawName(std::move(rawName)), m_name(displayName(m_rawName)), m_data(std::move(data)),
      m_size(sizeText(m_data.size())), m_type(detectType()) {}

ResourceItem::ResourceItem(const QString& typedName, QByteArray data)
    : ResourceItem(typedName.toUtf8(), std::move(data)) {}

qint64 ResourceItem::detectType() const {
    // A structure that the name promises comes first; beyond it only the magic of a binary
    // property list is recognised, and nothing else of the value is read.
    if (AttributeStructure::holdsEditable(m_rawName, m_data))
        return StructureType;
    if (m_data.size() < 9)
        return BinaryType;
    const std::optional<QString> head = decodeUtf8(QByteArrayView(m_data).first(8));
    if (!head)
        return BinaryType;
    if (*head == u"bplist00")
        return PropertyListType;
    return decodeUtf8(m_data) ? TextType : BinaryType;
}

QString ResourceItem::displayText() const {
    return m_name + QStringLiteral(" (") + m_size + QStringLiteral("):\n\n") +
           HexCodec::grouped(m_data) + QStringLiteral("\n\n") + contentText();
}

QString ResourceItem::contentText() const {
    const AttributeStructure structure = AttributeStructure::read(m_rawName, m_data);
    // The content is text from the value's writer: shown with its controls escaped.
    if (structure.parsed())
        return DisplayText::value(structure.displaySection());
    QString text;
    if (structure.promised())
        text += structure.problemLine() + u'\n';
    if (m_type == PropertyListType)
        return text + QStringLiteral("Property list content:\n\n") +
               DisplayText::value(plistAsXML());
    if (const std::optional<QString> utf8 = decodeUtf8(m_data))
        return text + QStringLiteral("String content:\n\n") + DisplayText::value(*utf8) + u'\n';
    if (const std::optional<QString> ascii = decodeAscii(m_data))
        return text + QStringLiteral("Binary data as string:\n\n\u00ab") +
               DisplayText::value(*ascii) + QStringLiteral("\u00bb\n");
    return text;
}

QString ResourceItem::plistAsXML() const {
    if (m_type != PropertyListType)
        return notABinaryPlist;
    const std::optional<PlistValue> value = PropertyListSerialization::readBinary(m_data);
    if (!value)
        return notABinaryPlist;
    return xmlTextOf(*value).value_or(notABinaryPlist);
}

QString ResourceItem::editableText() const {
    switch (m_type) {
    case TextType:
        return ValueCodec::of(ValueEncoding::Text).encode(m_data);
    case PropertyListType:
        return ValueCodec::of(ValueEncoding::PropertyList).encode(m_data);
    case StructureType:
        if (std::optional<QString> text = AttributeStructure::editableText(m_rawName, m_data))
            return *std::move(text);
        break;
    }
    return ValueCodec::of(ValueEncoding::Hex).encode(m_data);
}

std::optional<QString> ResourceItem::textInType() const {
    switch (m_type) {
    case TextType:
        return decodeUtf8(m_data);
    case PropertyListType:
        return PropertyListCodec::xmlText(m_data);
    case StructureType:
        return AttributeStructure::editableText(m_rawName, m_data);
    default:
        return HexCodec::grouped(m_data);
    }
}

QByteArray ResourceItem::archive() const {
    // A string and a data object can always be written, so the writer cannot refuse this tree.
    const std::optional<QString> textName = decodeUtf8(m_rawName);
    return BinaryPlistWriter::write(PlistValue::dictionary({
                                        {nameKey, textName ? PlistValue::string(*textName)
                                                           : PlistValue::data(m_rawName)},
                                        {dataKey, PlistValue::data(m_data)},
                                    }))
        .value_or(QByteArray());
}

std::shared_ptr<ResourceItem> ResourceItem::fromArchive(QByteArrayView archive) {
    const std::optional<PlistValue> root = BinaryPlistReader::read(archive);
    if (!root || root->kind() != PlistValue::Kind::Dictionary || root->toDictionary().size() != 2)
        return nullptr;
    const PlistValue* name = root->find(nameKey);
    const PlistValue* data = root->find(dataKey);
    if (!name || !data || data->kind() != PlistValue::Kind::Data)
        return nullptr;
    if (name->kind() == PlistValue::Kind::String)
        return std::make_shared<ResourceItem>(name->toString().toUtf8(), data->toData());
    if (name->kind() == PlistValue::Kind::Data)
        return std::make_shared<ResourceItem>(name->toData(), data->toData());
    return nullptr;
}

} // namespace palvorn
