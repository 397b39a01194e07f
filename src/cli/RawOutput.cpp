#include "cli/RawOutput.h"

#include "cli/StderrErrorAlert.h"

#include <unistd.h>

namespace palvorn {

RawOutput::RawOutput(QTextStream& out) {
    out.flush();
    m_failed = !m_file.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
}

bool RawOutput::write(QByteArrayView bytes) {
    if (!m_failed && m_file.write(bytes.data(), bytes.size()) != bytes.size())
        m_failed = true;
    return !m_failed;
}

bool RawOutput::finish(QTextStream& err) {
    // A writer given device() may have failed without passing through write().
    if (m_file.isOpen() && (!m_file.flush() || m_file.error() != QFileDevice::NoError))
        m_failed = true;
    if (!m_failed)
        return true;
    StderrErrorAlert::writeLine(err, QStringLiteral("write error: ") + m_file.errorString());
    return false;
}

} // namespace palvorn
