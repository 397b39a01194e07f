#include "FuzzSupport.h"
#include "core/model/BinaryPlistDescription.h"
#include "core/model/ResourceItem.h"

// Every rendering of any value under every type code the editor can leave behind must come back
// with a text, never crash or hang.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray value(reinterpret_cast<const char*>(data), qsizetype(size));
    palvorn::ResourceItem item(QStringLiteral("user.fuzz"), value);
    if (item.type() != item.detectType())
        fuzzing::fail("type");
    for (qint64 type : {0, 1, 2, 3}) {
        item.setType(type);
        const QString display = item.displayText();
        if (!display.startsWith(QStringLiteral("user.fuzz (")))
            fuzzing::fail("display text");
        (void)item.editableText();
        (void)item.plistAsXML();
    }
    (void)palvorn::describeBinaryPlist(value);
    return 0;
}
