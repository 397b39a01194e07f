#include "FuzzSupport.h"
#include "core/model/IntegrityValue.h"

// Any bytes as security.ima or security.evm: a description of bounded length, or one reason.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto described = palvorn::IntegrityValue::describe(bytes);
    if (described && described.value->size() > 2 * bytes.size() + 1024)
        fuzzing::fail("integrity text bound");
    if (!described && (described.problem.isEmpty() || described.problem.contains(u'\n')))
        fuzzing::fail("integrity problem");
    return 0;
}
