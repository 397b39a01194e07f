#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QString>

namespace palvorn {

// Reads old-style (OpenStep) property-list text the way Apple's CoreFoundation does, strings-file
// fallback included: `{ key = value; }`, `( a, b )`, `<hex>` and quoted or bare strings. The
// format has no numbers, booleans or dates, so every scalar comes back as a string or data.
// Attribute values come from anywhere, so the same depth and size bounds as the binary reader
// apply.
class OpenStepPlistReader {
public:
    // Empty or whitespace-only text is an empty dictionary. Anything that is not well formed
    // gives std::nullopt: callers treat it simply as "not a property list".
    static std::optional<PlistValue> read(const QString& text);
};

} // namespace palvorn
