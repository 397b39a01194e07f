#pragma once

#include "core/model/WalkProgress.h"

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include <QTextStream>

namespace palvorn {

// The walks' progress on standard error while a walk runs, when standard error is a terminal:
// one line, shown at once and rewritten a few times a second by a thread of its own that reads
// the walk's counter, so the walk itself never waits for the terminal. The line is cut to the
// terminal's width (asked again whenever the terminal says it changed, SIGWINCH), so that it
// never wraps into rows that rewriting it would leave behind. Error lines go through printLine,
// which takes the progress line away first, so the two never mix.
class ProgressLine {
public:
    // With enabled off, only printLine prints.
    ProgressLine(QTextStream& err, const WalkProgress& progress, bool enabled);
    ~ProgressLine();

    // Writes an error line, "palvorn-cli: LINE".
    void printLine(const QString& line);

    // Whether standard error is a terminal.
    static bool stderrIsTerminal();

private:
    void run();
    void draw(qsizetype columns);
    void clear();

    QTextStream& m_err;
    const WalkProgress& m_progress;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    bool m_shown = false;
    struct sigaction m_previousResize = {};
    std::thread m_thread;
};

} // namespace palvorn
