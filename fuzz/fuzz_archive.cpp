#include "FuzzSupport.h"
#include "core/model/ResourceItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const auto item = palvorn::ResourceItem::fromArchive(bytes);
    if (!item)
        return 0;
    const auto again = palvorn::ResourceItem::fromArchive(item->archive());
    if (!again || again->rawName() != item->rawName() || again->data() != item->data() ||
        again->type() != again->detectType())
        fuzzing::fail("archive");
    return 0;
}
