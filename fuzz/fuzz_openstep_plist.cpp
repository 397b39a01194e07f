#include "FuzzSupport.h"
#include "core/plist/OpenStepPlistReader.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto value = palvorn::OpenStepPlistReader::read(text))
        fuzzing::checkRoundTrips(*value);
    return 0;
}
