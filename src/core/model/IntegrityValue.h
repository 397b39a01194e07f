#pragma once

#include "core/model/Parsed.h"

#include <QByteArrayView>

namespace palvorn {

// What the kernel's integrity subsystems keep in security.ima and security.evm: a type byte,
// then a digest (with its hash algorithm in the newer form), an HMAC, or a signature with its
// header (version, hash algorithm, big-endian key id and signature size). Hash algorithms are
// numbered as in linux/hash_info.h.
class IntegrityValue {
public:
    // One "name: value" line per field, each ending in a line feed: the type by the kernel's
    // name, the hash algorithm, a signature's version and key id, and the digest or signature
    // in lower-case hex. About twice the value's length and a few lines more.
    static Parsed<QString> describe(QByteArrayView value);
};

} // namespace palvorn
