#include "FuzzSupport.h"
#include "core/model/FileCapabilities.h"
#include "core/model/TextDecoding.h"

using palvorn::FileCapabilities;

namespace {

// What a file grants: the effective flag means nothing without a set to take effect, and a root
// user id of 0 is no namespace's.
bool sameGrant(const FileCapabilities& a, const FileCapabilities& b) {
    const auto effective = [](const FileCapabilities& c) {
        return c.effective() && (c.permitted() | c.inheritable()) != 0;
    };
    return a.permitted() == b.permitted() && a.inheritable() == b.inheritable() &&
           effective(a) == effective(b) && a.rootId().value_or(0) == b.rootId().value_or(0);
}

} // namespace

// Bytes as a stored value and as setcap's text: whatever is read has a text of bounded length
// that reads back as the same grant, and whatever text is read writes a value that reads back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto stored = FileCapabilities::fromXattr(bytes)) {
        const QString text = stored.value->toText();
        if (text.size() > 1024)
            fuzzing::fail("capabilities text bound");
        const auto back = FileCapabilities::fromText(text);
        if (!back || !sameGrant(*back.value, *stored.value))
            fuzzing::fail("capabilities text");
    }
    if (const std::optional<QString> text = palvorn::decodeUtf8(bytes)) {
        if (const auto typed = FileCapabilities::fromText(*text)) {
            const auto stored = FileCapabilities::fromXattr(typed.value->toXattr());
            if (!stored || !(*stored.value == *typed.value))
                fuzzing::fail("capabilities bytes");
        }
    }
    return 0;
}
