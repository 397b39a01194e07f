#include "core/editor/EditorConversion.h"

#include "core/model/AttributeStructure.h"
#include "core/model/ResourceItem.h"
#include "core/plist/PropertyListSerialization.h"

#include <algorithm>

namespace palvorn {

namespace {

EditorConversion::Result refused(const QString& reason) {
    return {std::nullopt, reason + QStringLiteral(", so nothing was saved."), reason};
}

std::optional<int> digitValue(QChar c) {
    const char16_t unit = c.unicode();
    if (unit >= u'0' && unit <= u'9')
        return unit - u'0';
    if (unit >= u'a' && unit <= u'f')
        return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'F')
        return unit - u'A' + 10;
    return std::nullopt;
}

// One pair as an unsigned 8-bit number in base 16: two digits, or a sign and one digit.
std::optional<char> pairValue(QChar first, QChar second) {
    const std::optional<int> low = digitValue(second);
    if (!low)
        return std::nullopt;
    if (first == u'+')
        return char(*low);
    if (first == u'-')
        return *low == 0 ? std::optional<char>(0) : std::nullopt;
    const std::optional<int> high = digitValue(first);
    if (!high)
        return std::nullopt;
    return char(*high * 16 + *low);
}

// The text with every character that cannot be seen spelled out: "\n", "\r", "\t", or its code
// as "U+200B", so that a refused text shows what is actually there.
QString visibleText(QStringView text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c == u'\t')
            shown += QStringLiteral("\\t");
        else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            shown += text.sliced(i++, 2);
        else if (c.isSurrogate() || !c.isPrint() || (c.isSpace() && c != u' '))
            shown += QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

// Line breaks and spaces after the text are what an editor leaves there, not part of it.
QStringView withoutTrailingBreaks(QStringView text) {
    while (!text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
        text.chop(1);
    return text;
}

} // namespace

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

EditorConversion::Result EditorConversion::bytesFor(int format, const QString& text,
                                                    QByteArrayView structureName) {
    switch (format) {
    case PlainText:
        return {text.toUtf8(), {}, {}};
    case PropertyList:
        return plistBytes(text);
    case Structure: {
        const AttributeStructure::Kind kind = AttributeStructure::kindOf(structureName);
        if (!AttributeStructure::isEditable(kind))
            return refused(QStringLiteral("This attribute has no structure to edit"));
        Parsed<QByteArray> bytes = AttributeStructure::bytesFor(structureName, text);
        if (!bytes)
            return refused(AttributeStructure::formatName(kind) + QStringLiteral(": ") +
                           bytes.problem);
        return {std::move(bytes.value), {}, {}};
    }
    default:
        return hexBytes(text);
    }
}

QString EditorConversion::textFor(int format, const QByteArray& bytes,
                                  QByteArrayView structureName) {
    // The structure's text is written for the name that holds it.
    ResourceItem shown(structureName.toByteArray(), bytes);
    shown.setType(typeOfFormat(format));
    return shown.editableText();
}

QString EditorConversion::discardQuestion(int from, int to, const Result& refused,
                                          QByteArrayView structureName) {
    const QStringList names = formatList(structureName);
    return QStringLiteral("The text cannot be read as %1: %2. Show the value as %3 instead, "
                          "discarding the changes to the text?")
        .arg(names.value(from), refused.reason, names.value(to));
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

EditorConversion::Result EditorConversion::plistBytes(const QString& text) {
    const std::optional<PlistValue> value = PropertyListSerialization::readText(text);
    if (!value)
        return refused(QStringLiteral("The text is not a property list"));
    std::optional<QByteArray> binary =
        PropertyListSerialization::write(*value, PropertyListSerialization::Format::Binary);
    if (!binary)
        return refused(QStringLiteral("This property list cannot be written in the binary format"));
    return {std::move(binary), {}, {}};
}

EditorConversion::Result EditorConversion::hexBytes(const QString& text) {
    QString digits = withoutTrailingBreaks(text).toString();
    digits.remove(u' ');
    if (digits.startsWith(u'<'))
        digits.remove(0, 1);
    if (digits.endsWith(u'>'))
        digits.chop(1);
    // A character that cannot be a digit (a tab, a no-break space, a ">" with text after it) is
    // named as such before any counting: counted as a digit it would give a wrong reason.
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const QChar c = digits.at(i);
        if (digitValue(c) || c == u'+' || c == u'-')
            continue;
        const qsizetype length =
            c.isHighSurrogate() && i + 1 < digits.size() && digits.at(i + 1).isLowSurrogate() ? 2
                                                                                              : 1;
        return refused(QStringLiteral("\u201c%1\u201d is not a hexadecimal digit")
                           .arg(visibleText(QStringView(digits).sliced(i, length))));
    }
    if (digits.size() % 2 != 0)
        return refused(QStringLiteral("The hex text has an odd number of digits"));
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const std::optional<char> byte = pairValue(digits.at(i), digits.at(i + 1));
        if (!byte)
            return refused(QStringLiteral("\u201c%1\u201d is not a pair of hexadecimal digits")
                               .arg(visibleText(QStringView(digits).sliced(i, 2))));
        bytes.append(*byte);
    }
    return {std::move(bytes), {}, {}};
}

} // namespace palvorn
