#include "core/editor/EditorConversion.h"

#include "core/model/AttributeStructure.h"
#include "core/model/ResourceItem.h"
#include "core/model/ValueCodec.h"

#include <algorithm>

namespace palvorn {

namespace {

tl::unexpected<Error> refused(const QString& reason) {
    return failure(Error({}, reason, {}));
}

} // namespace

QString EditorConversion::problemOf(const Error& refusal) {
    return refusal.reason() + QStringLiteral(", so nothing was saved.");
}

QStringList EditorConversion::formatList(QByteArrayView structureName) {
    QStringList formats = {QStringLiteral("Plain text"), QStringLiteral("Property list"),
                           QStringLiteral("Hex text"), QStringLiteral("Not supported")};
    const AttributeStructure::Kind kind = AttributeStructure::kindOf(structureName);
    if (AttributeStructure::isEditable(kind))
        formats.append(AttributeStructure::formatName(kind));
    return formats;
}

qint64 EditorConversion::typeOfFormat(int format) {
    switch (format) {
    case PlainText:
        return ResourceItem::TextType;
    case PropertyList:
        return ResourceItem::PropertyListType;
    case Structure:
        return ResourceItem::StructureType;
    default:
        return ResourceItem::BinaryType;
    }
}

int EditorConversion::formatOfType(qint64 type) {
    if (type == ResourceItem::StructureType)
        return Structure;
    return int(std::clamp<qint64>(type, PlainText, HexText));
}

Result<QByteArray> EditorConversion::bytesFor(int format, const QString& text,
                                              QByteArrayView structureName) {
    if (format == Structure) {
        const AttributeStructure::Kind kind = AttributeStructure::kindOf(structureName);
        if (!AttributeStructure::isEditable(kind))
            return refused(QStringLiteral("This attribute has no structure to edit"));
        Parsed<QByteArray> bytes = AttributeStructure::bytesFor(structureName, text);
        if (!bytes)
            return refused(AttributeStructure::formatName(kind) + QStringLiteral(": ") +
                           bytes.problem);
        return std::move(*bytes.value);
    }
    return ValueCodec::of(encodingOfFormat(format)).decode(QStringView(text));
}

ValueEncoding EditorConversion::encodingOfFormat(int format) {
    switch (format) {
    case PlainText:
        return ValueEncoding::Text;
    case PropertyList:
        return ValueEncoding::PropertyList;
    default: // and a value shown as not supported is edited as its hex text
        return ValueEncoding::Hex;
    }
}

QString EditorConversion::textFor(int format, const QByteArray& bytes,
                                  QByteArrayView structureName) {
    // The structure's text is written for the name that holds it.
    ResourceItem shown(structureName.toByteArray(), bytes);
    shown.setType(typeOfFormat(format));
    return shown.editableText();
}

QString EditorConversion::discardQuestion(int from, int to, const Error& refusal,
                                          QByteArrayView structureName) {
    const QStringList names = formatList(structureName);
    return QStringLiteral("The text cannot be read as %1: %2. Show the value as %3 instead, "
                          "discarding the changes to the text?")
        .arg(names.value(from), refusal.reason(), names.value(to));
}

std::optional<int> EditorConversion::formatOfWord(const QString& word, QByteArrayView name) {
    if (word == u"text")
        return PlainText;
    if (word == u"plist")
        return PropertyList;
    if (word == u"hex")
        return HexText;
    const AttributeStructure::Kind kind = AttributeStructure::kindOf(name);
    if (AttributeStructure::isEditable(kind) && word == AttributeStructure::formatWord(kind))
        return Structure;
    return std::nullopt;
}

QString EditorConversion::formatWords(QByteArrayView name) {
    const AttributeStructure::Kind kind = AttributeStructure::kindOf(name);
    if (AttributeStructure::isEditable(kind))
        return QStringLiteral("text, plist, hex or ") + AttributeStructure::formatWord(kind);
    return QStringLiteral("text, plist or hex");
}

Result<QByteArray> EditorConversion::hexBytes(const QString& text) {
    return ValueCodec::of(ValueEncoding::Hex).decode(QStringView(text));
}

} // namespace palvorn
