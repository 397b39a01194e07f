#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArray>

namespace palvorn {

// Encodes a value as a "bplist00" document: the root is object 0, every collection comes before
// its members (a dictionary's keys before its values), equal strings are stored once, and
// offsets and references take the smallest of 1, 2, 4 or 8 bytes that fits. Dictionaries keep
// their stored order. Subtrees shared in memory are written out once per place they appear.
class BinaryPlistWriter {
public:
    // std::nullopt when the tree holds a Null, which Apple's writer refuses as well, or a UID
    // above UINT32_MAX, which Apple's reader refuses.
    static std::optional<QByteArray> write(const PlistValue& root);
};

} // namespace palvorn
