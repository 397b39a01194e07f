#include "FuzzSupport.h"
#include "core/model/AccountNames.h"
#include "core/model/PosixAcl.h"
#include "core/model/TextDecoding.h"

using palvorn::AccountNames;
using palvorn::PosixAcl;

// Bytes as a stored list and as typed text. A list read renders within its bound, and its text
// reads back as the same list; a text read writes bytes that read back as the same list.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    AccountNames accounts;
    if (const auto acl = PosixAcl::fromXattr(bytes)) {
        for (const PosixAcl::Kind kind : {PosixAcl::Kind::Access, PosixAcl::Kind::Default}) {
            const QString text = acl.value->toText(kind, accounts);
            if (text.size() > 9 * bytes.size() + 1024)
                fuzzing::fail("acl text bound");
            const auto back = PosixAcl::fromText(text, kind, accounts);
            if (!back || back.value->toXattr() != acl.value->toXattr())
                fuzzing::fail("acl text");
        }
    } else if (acl.problem.isEmpty() || acl.problem.contains(u'\n')) {
        fuzzing::fail("acl problem");
    }
    if (const std::optional<QString> text = palvorn::decodeUtf8(bytes)) {
        const auto typed = PosixAcl::fromText(*text, PosixAcl::Kind::Default, accounts);
        if (typed) {
            const auto stored = PosixAcl::fromXattr(typed.value->toXattr());
            if (!stored || stored.value->entries() != typed.value->entries())
                fuzzing::fail("acl bytes");
        }
    }
    return 0;
}
