#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>
#include <QThreadPool>

namespace palvorn {

// A tool window's background walks: at most four at once on the window's own pool. A walk hands
// its error texts and its report back with post(); they run on the main thread one at a time, in
// the order posted, so a walk's errors always come before its report. Quitting the application,
// or closing the window, stops running walks at their next item.
class WalkQueue : public QObject {
    Q_OBJECT

public:
    using Post = std::function<void(std::function<void()>)>;
    using Work = std::function<void(const std::atomic_bool& stop, const Post& post)>;

    explicit WalkQueue(QObject* parent = nullptr);
    ~WalkQueue() override;

    void start(Work work);
    void stopAll();
    // Waits for the running walks to end; tests use it, windows never block on it.
    bool waitForDone(int msecs = -1);

private:
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
};

} // namespace palvorn
