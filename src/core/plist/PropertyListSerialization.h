#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArray>

namespace palvorn {

// Reads property lists in any of the three formats and writes the two that can be written,
// choosing the reader the way the platform does: binary by its magic, XML by its opening markup,
// old-style text otherwise.
class PropertyListSerialization {
public:
    enum class Format { OpenStep = 1, Xml = 100, Binary = 200 };

    struct ReadResult {
        PlistValue value;
        Format format;
    };

    static std::optional<ReadResult> read(QByteArrayView bytes);
    // Only a valid binary property list; everything else is refused.
    static std::optional<PlistValue> readBinary(QByteArrayView bytes);
    // A string's own property-list parse: XML when it opens like XML, old-style text otherwise.
    static std::optional<PlistValue> readText(const QString& text);

    // Old-style text cannot be written; asking for it gives nullopt.
    static std::optional<QByteArray> write(const PlistValue& value, Format format);
};

} // namespace palvorn
