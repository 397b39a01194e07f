#pragma once

#include <exception>

#include <QString>

namespace palvorn {

// The one error value of the attribute access layer: the errno of the failing call and the
// system's text for it, which is what the user is shown.
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

} // namespace palvorn
