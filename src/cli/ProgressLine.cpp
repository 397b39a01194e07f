#include "cli/ProgressLine.h"

#include "model/DisplayText.h"

#include <chrono>
#include <unistd.h>

namespace palvorn {

namespace {

// Longer lines would wrap and leave pieces behind when rewritten.
constexpr qsizetype maxWidth = 120;

} // namespace

ProgressLine::ProgressLine(QTextStream& err, const WalkProgress& progress, bool enabled)
    : m_err(err), m_progress(progress) {
    if (enabled)
        m_thread = std::thread([this] { run(); });
}

ProgressLine::~ProgressLine() {
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    const std::lock_guard lock(m_mutex);
    clear();
}

bool ProgressLine::stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void ProgressLine::printLine(const QString& line) {
    const std::lock_guard lock(m_mutex);
    clear();
    m_err << "palvorn-cli: " << line << "\n";
    m_err.flush();
}

void ProgressLine::run() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_done; })) {
        m_err << "\r\033[K" << DisplayText::cut(m_progress.text(), maxWidth);
        m_err.flush();
        m_shown = true;
    }
}

void ProgressLine::clear() {
    if (!m_shown)
        return;
    m_err << "\r\033[K";
    m_err.flush();
    m_shown = false;
}

} // namespace palvorn
