#pragma once

#include "core/model/Parsed.h"

#include <QByteArray>
#include <QStringView>

namespace palvorn {

// The label a Linux security module keeps for a file (security.selinux, security.apparmor,
// security.SMACK64 and its kin): text, which SELinux ends with a NUL.
class SecurityLabel {
public:
    // The label without that NUL. Refused when empty, not UTF-8, or holding a control character
    // (a second NUL, a line break, an escape): no label has one, and it could steer a terminal.
    static Parsed<QString> fromXattr(QByteArrayView value);
    // The typed label's UTF-8 bytes, with the NUL added when endsWithNul. Line breaks after it
    // are what an editor leaves there and are dropped; anything refused above is refused here.
    static Parsed<QByteArray> fromText(QStringView text, bool endsWithNul);
};

} // namespace palvorn
