#include "cli/ProgressLine.h"

#include "core/model/DisplayText.h"

#include <atomic>
#include <chrono>
#include <sys/ioctl.h>
#include <unistd.h>

namespace palvorn {

namespace {

// A handler may only store to a lock-free atomic.
static_assert(std::atomic_bool::is_always_lock_free);
std::atomic_bool resized = false;

extern "C" void noteResize(int) {
    resized.store(true);
}

// Where the width cannot be asked (not a terminal after all), the width terminals start with.
constexpr qsizetype fallbackColumns = 80;

qsizetype terminalColumns() {
    struct winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return fallbackColumns;
    return size.ws_col;
}

} // namespace

ProgressLine::ProgressLine(QTextStream& err, const WalkProgress& progress, bool enabled)
    : m_err(err), m_progress(progress) {
    if (!enabled)
        return;
    struct sigaction action = {};
    action.sa_handler = noteResize;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGWINCH, &action, &m_previousResize);
    m_thread = std::thread([this] { run(); });
}

ProgressLine::~ProgressLine() {
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
        sigaction(SIGWINCH, &m_previousResize, nullptr);
    }
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
    resized = false;
    qsizetype columns = terminalColumns();
    draw(columns);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_done; })) {
        if (resized.exchange(false))
            columns = terminalColumns();
        draw(columns);
    }
}

void ProgressLine::draw(qsizetype columns) {
    // One column spare: a line that fills the last one leaves some terminals about to wrap.
    m_err << "\r\033[K" << DisplayText::cut(m_progress.text(), std::max<qsizetype>(columns - 1, 1));
    m_err.flush();
    m_shown = true;
}

void ProgressLine::clear() {
    if (!m_shown)
        return;
    m_err << "\r\033[K";
    m_err.flush();
    m_shown = false;
}

} // namespace palvorn
