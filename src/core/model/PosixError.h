#pragma once

#include "core/model/Error.h"

#include <exception>
#include <type_traits>

#include <QString>

namespace palvorn {

// Thrown only inside the attribute access layer, where a failure deep in a retried read unwinds
// at once: the errno of the failing call and the system's text for it. The layer's functions catch
// it at their edge (caught) and return an Error; nothing above them sees it.
class PosixError : public std::exception {
public:
    PosixError(int code, QString description);

    // Builds the error from the current errno; call it right after the failing system call.
    static PosixError fromErrno();

    static QString describe(int code);

    int code() const noexcept { return m_code; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_code;
    QString m_description;
    QByteArray m_what;
};

// Runs one step of the access layer that may throw: its value, or the error it threw.
template <typename Step> auto caught(Step step) -> Result<std::invoke_result_t<Step>> {
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Step>>) {
            step();
            return {};
        } else {
            return step();
        }
    } catch (const PosixError& error) {
        return failure(Error({}, error.description(), {}, {}, error.code()));
    }
}

} // namespace palvorn
