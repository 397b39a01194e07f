#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArrayView>

namespace palvorn {

// Reads XML property lists (format 100) as written by Apple's serialiser and by Python's plistlib.
// Attribute values come from anywhere, so the reader is strict and bounded like the binary one:
// it refuses anything it does not understand rather than guessing, and it never expands
// entities, so a few hundred bytes of DTD cannot grow into gigabytes of text.
class XmlPlistReader {
public:
    // Anything malformed gives std::nullopt ("not a property list" to callers): bytes that are not
    // strict UTF-8 or a declared encoding other than UTF-8, a DTD that declares entities or
    // attributes, a tag with more than 64 attributes (Qt checks them pairwise), an entity
    // reference, text where only elements belong, an unknown element, a dictionary whose
    // keys and values do not alternate, a value out of its kind's range, nesting deeper than
    // BinaryPlistReader::maxDepth or more than BinaryPlistReader::maxExpandedNodes elements
    // (dictionary keys included). A dictionary whose only entry is "CF$UID" with an integer
    // from 0 to UINT32_MAX reads as a UID, the form the writers give UIDs.
    static std::optional<PlistValue> read(QByteArrayView bytes);
};

} // namespace palvorn
