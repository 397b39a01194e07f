#include "core/model/PosixError.h"

#include "core/model/Error.h"

#include <cerrno>

namespace palvorn {

PosixError::PosixError(int code, QString description)
    : m_code(code), m_description(std::move(description)), m_what(m_description.toLocal8Bit()) {}

PosixError PosixError::fromErrno() {
    const int code = errno;
    return PosixError(code, describe(code));
}

QString PosixError::describe(int code) {
    return Error::describe(code);
}

} // namespace palvorn
