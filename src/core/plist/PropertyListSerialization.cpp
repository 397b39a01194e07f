#include "core/plist/PropertyListSerialization.h"

#include "core/model/TextDecoding.h"
#include "core/plist/BinaryPlistReader.h"
#include "core/plist/BinaryPlistWriter.h"
#include "core/plist/OpenStepPlistReader.h"
#include "core/plist/XmlPlistReader.h"
#include "core/plist/XmlPlistWriter.h"

namespace palvorn {

namespace {

bool looksLikeXml(const QString& text) {
    const QString start = (text.startsWith(u'\xfeff') ? text.mid(1) : text).trimmed();
    for (const char16_t* opening : {u"<?xml", u"<!DOCTYPE", u"<plist", u"<!--"}) {
        if (start.startsWith(QStringView(opening)))
            return true;
    }
    return false;
}

} // namespace

std::optional<PropertyListSerialization::ReadResult>
PropertyListSerialization::read(QByteArrayView bytes) {
    // A value that claims to be binary is never re-read as text: the text reader would take
    // almost anything for a string, and editing it would then change the bytes.
    if (bytes.startsWith("bplist")) {
        if (std::optional<PlistValue> value = BinaryPlistReader::read(bytes))
            return ReadResult{std::move(*value), Format::Binary};
        return std::nullopt;
    }
    const std::optional<QString> text = decodeUtf8(bytes);
    if (!text)
        return std::nullopt;
    const Format format = looksLikeXml(*text) ? Format::Xml : Format::OpenStep;
    if (std::optional<PlistValue> value = readText(*text))
        return ReadResult{std::move(*value), format};
    return std::nullopt;
}

std::optional<PlistValue> PropertyListSerialization::readBinary(QByteArrayView bytes) {
    return BinaryPlistReader::read(bytes);
}

std::optional<PlistValue> PropertyListSerialization::readText(const QString& text) {
    if (looksLikeXml(text))
        return XmlPlistReader::read(text.toUtf8());
    // A byte-order mark is an encoding detail, not part of the text.
    return OpenStepPlistReader::read(text.startsWith(u'\xfeff') ? text.mid(1) : text);
}

std::optional<QByteArray> PropertyListSerialization::write(const PlistValue& value, Format format) {
    switch (format) {
    case Format::Binary:
        return BinaryPlistWriter::write(value);
    case Format::Xml:
        return XmlPlistWriter::write(value);
    case Format::OpenStep:
        break;
    }
    return std::nullopt;
}

} // namespace palvorn
