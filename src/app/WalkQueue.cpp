#include "app/WalkQueue.h"

#include <QCoreApplication>
#include <QPointer>

namespace palvorn {

WalkQueue::WalkQueue(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(4);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &WalkQueue::stopAll);
}

WalkQueue::~WalkQueue() {
    stopAll();
    m_pool.waitForDone();
}

void WalkQueue::start(Work work) {
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    const QPointer<WalkQueue> self(this);
    m_pool.start([work = std::move(work), stop, self] {
        // Queued calls to one receiver run in the order they were posted; once the window is
        // gone they are dropped.
        const Post post = [self](std::function<void()> task) {
            if (self)
                QMetaObject::invokeMethod(self.data(), std::move(task), Qt::QueuedConnection);
        };
        work(*stop, post);
    });
}

void WalkQueue::stopAll() {
    m_stop->store(true);
}

bool WalkQueue::waitForDone(int msecs) {
    return m_pool.waitForDone(msecs);
}

} // namespace palvorn
