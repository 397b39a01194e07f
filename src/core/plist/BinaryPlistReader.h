#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArrayView>

namespace palvorn {

// Reads binary property lists ("bplist00") as strictly as Apple's own reader and then some:
// attribute values come from anywhere, so every count, offset and reference is checked against
// the input before it is used, and the document is refused when its tree would be unreasonably
// deep or, with shared objects expanded, unreasonably large.
class BinaryPlistReader {
public:
    // Anything that is not a well-formed bplist00 document gives std::nullopt: callers treat it
    // simply as "not a property list". Sets (0xCn) are refused rather than read as arrays, since
    // writing such a value back would silently change its type.
    static std::optional<PlistValue> read(QByteArrayView bytes);

    // Objects nested more than this many levels below the root are refused.
    static constexpr int maxDepth = 512;
    // Nodes of the tree with every shared reference counted each time it is reached, dictionary
    // keys included.
    static constexpr qint64 maxExpandedNodes = 1'000'000;
};

} // namespace palvorn
