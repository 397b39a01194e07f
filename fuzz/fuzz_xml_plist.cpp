#include "FuzzSupport.h"
#include "core/plist/XmlPlistReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    if (const auto value = palvorn::XmlPlistReader::read(bytes))
        fuzzing::checkRoundTrips(*value);
    return 0;
}
