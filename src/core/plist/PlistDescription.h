#pragma once

#include "core/plist/PlistValue.h"

#include <optional>

#include <QByteArrayView>
#include <QString>

namespace palvorn {

// The texts the platform shows for property-list values: Foundation's old-style object
// description, with data in its classic, never shortened hex form (HexCodec's) so that it can
// be read back.
class PlistDescription {
public:
    // Containers span lines with 4-space indentation and dictionary keys in ascending UTF-16
    // order; leaves inside them are quoted unless made of ASCII letters and digits. At the top
    // level a string is the string itself, a number, date or null its plain text, data its hex
    // text. A UID, which Foundation shows through its private archiver class, is `{value = n}`.
    // A tree within the readers' limits can still describe to gigabytes (a million leaves 500
    // levels deep); past maxLength characters the description is refused.
    static std::optional<QString> describe(const PlistValue& value);
    static constexpr qsizetype maxLength = 32 * 1024 * 1024;
    // The same text cut after at most limit characters (never more than maxLength), for
    // renderings that must stay in proportion to the value; cut tells whether it was.
    static QString describeCut(const PlistValue& value, qsizetype limit, bool* cut);
};

} // namespace palvorn
