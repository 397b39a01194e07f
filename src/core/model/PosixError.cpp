#include "core/model/PosixError.h"

#include <cerrno>
#include <cstring>

namespace palvorn {

PosixError::PosixError(int code, QString description)
    : m_code(code), m_description(std::move(description)), m_what(m_description.toLocal8Bit()) {}

PosixError PosixError::fromErrno() {
    const int code = errno;
    return PosixError(code, describe(code));
}

QString PosixError::describe(int code) {
    // strerror() may share one buffer between threads; the walks call this from worker threads.
    char buffer[256] = {};
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char* text = strerror_r(code, buffer, sizeof buffer);
#else
    const char* text = strerror_r(code, buffer, sizeof buffer) == 0 ? buffer : "Unknown error";
#endif
    return QString::fromLocal8Bit(text);
}

} // namespace palvorn
