#pragma once

#include "model/WalkProgress.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <QTextStream>

namespace palvorn {

// The walks' progress on standard error while a walk runs, when standard error is a terminal:
// one line, rewritten a few times a second by a thread of its own that reads the walk's counter,
// so the walk itself never waits for the terminal. Error lines go through printLine, which takes
// the progress line away first, so the two never mix.
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
    void clear();

    QTextStream& m_err;
    const WalkProgress& m_progress;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    bool m_shown = false;
    std::thread m_thread;
};

} // namespace palvorn
