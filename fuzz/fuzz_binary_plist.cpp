#include "FuzzSupport.h"
#include "core/plist/BinaryPlistReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    if (const auto value = palvorn::BinaryPlistReader::read(bytes))
        fuzzing::checkRoundTrips(*value);
    return 0;
}
