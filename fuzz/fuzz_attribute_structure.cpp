#include "FuzzSupport.h"
#include "core/editor/EditorConversion.h"
#include "core/model/AttributeStructure.h"
#include "core/model/ResourceItem.h"
#include "core/model/TextDecoding.h"

#include <array>

using palvorn::AttributeStructure;
using palvorn::EditorConversion;

namespace {

constexpr std::array<const char*, 9> names = {
    "system.posix_acl_access",
    "system.posix_acl_default",
    "security.capability",
    "security.selinux",
    "security.apparmor",
    "security.SMACK64EXEC",
    "security.ima",
    "security.evm",
    "user.other",
};

} // namespace

// The first byte picks a name, the rest is its value and, as text, what the editor saves under
// it. Every rendering comes back bounded; what the editor saves reads as what the name promises.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray name(names[data[0] % names.size()]);
    const QByteArray value(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const AttributeStructure structure = AttributeStructure::read(name, value);
    if (structure.text().size() > 9 * value.size() + 1024)
        fuzzing::fail("structure bound");
    if (structure.parsed() == !structure.problem().isEmpty() && structure.promised())
        fuzzing::fail("structure problem");
    palvorn::ResourceItem item(name, value);
    if (item.type() != item.detectType())
        fuzzing::fail("type");
    for (qint64 type : {0, 1, 2, 3, 4}) {
        item.setType(type);
        if (!item.displayText().startsWith(QString::fromLatin1(name) + QStringLiteral(" (")))
            fuzzing::fail("display text");
        (void)item.editableText();
    }
    if (const std::optional<QString> text = palvorn::decodeUtf8(value)) {
        const palvorn::Result<QByteArray> saved =
            EditorConversion::bytesFor(EditorConversion::Structure, *text, name);
        if (saved && !AttributeStructure::read(name, *saved).parsed())
            fuzzing::fail("saved structure");
    }
    return 0;
}
