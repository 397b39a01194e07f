#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArray>

namespace palvorn {

// Writes a value as an XML property list in the layout of Apple's serialiser: the XML and DOCTYPE
// header lines, the root inside <plist version="1.0"> without indentation and one tab per level
// below it, dictionary keys in ascending UTF-16 order, data as base64 lines, reals as %.17g.
// Text escapes only "<", ">" and "&", and a carriage return as "&#13;": XML readers turn a
// literal one into a line feed, which would change the string.
class XmlPlistWriter {
public:
    // std::nullopt for trees that XmlPlistReader could not read back as the same value: a Null; a
    // string or key holding a character XML 1.0 cannot carry (a control character other than tab,
    // line feed and carriage return, a lone surrogate, U+FFFE or U+FFFF); a UID above UINT32_MAX;
    // a date outside the years 1 to 9999; more than BinaryPlistReader::maxDepth levels or
    // BinaryPlistReader::maxExpandedNodes elements, counted as the reader counts them.
    // Also refused: documents longer than maxLength bytes, which a small binary list sharing one
    // long string a million times would otherwise produce.
    static std::optional<QByteArray> write(const PlistValue& root);
    static constexpr qsizetype maxLength = 64 * 1024 * 1024;
};

} // namespace palvorn
