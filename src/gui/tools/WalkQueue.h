#pragma once

#include "core/model/WalkProgress.h"

#include <atomic>
#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QThreadPool>

namespace palvorn {

// A tool window's background walks: at most four at once on the window's own pool, further ones
// wait for a free thread. A walk hands its error texts and its report back with post(); they run
// on the main thread one at a time, in the order posted, so a walk's errors always come before its
// report. stopAll() (the window's Stop, closing the window, quitting) ends every running and
// waiting walk at its next item; walks started later run normally.
class WalkQueue : public QObject {
    Q_OBJECT

public:
    // One walk's stop flag and progress, read by the window while the walk runs.
    struct Walk {
        std::atomic_bool stop = false;
        WalkProgress progress;
    };
    using Post = std::function<void(std::function<void()>)>;
    using Work = std::function<void(Walk& walk, const Post& post)>;

    explicit WalkQueue(QObject* parent = nullptr);
    ~WalkQueue() override;

    void start(Work work);
    void stopAll();
    // Walks started and not yet ended, as the main thread sees it (an ended walk's posts have
    // all been run).
    qsizetype running() const { return m_walks.size(); }
    // One line per running walk, for the window's progress label.
    QString progressText() const;
    // Waits for the running walks to end; tests use it, windows never block on it.
    bool waitForDone(int msecs = -1);

Q_SIGNALS:
    void runningChanged(qsizetype running);

private:
    void finished(const std::shared_ptr<Walk>& walk);

    QThreadPool m_pool;
    QList<std::shared_ptr<Walk>> m_walks;
};

} // namespace palvorn
