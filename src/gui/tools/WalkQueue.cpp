#include "gui/tools/WalkQueue.h"

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
    const auto walk = std::make_shared<Walk>();
    m_walks.append(walk);
    Q_EMIT runningChanged(m_walks.size());
    const QPointer<WalkQueue> self(this);
    m_pool.start([work = std::move(work), walk, self] {
        // Queued calls to one receiver run in the order they were posted; once the window is
        // gone they are dropped.
        const Post post = [self](std::function<void()> task) {
            if (self)
                QMetaObject::invokeMethod(self.data(), std::move(task), Qt::QueuedConnection);
        };
        work(*walk, post);
        post([self, walk] {
            if (self)
                self->finished(walk);
        });
    });
}

void WalkQueue::finished(const std::shared_ptr<Walk>& walk) {
    m_walks.removeOne(walk);
    Q_EMIT runningChanged(m_walks.size());
}

void WalkQueue::stopAll() {
    for (const std::shared_ptr<Walk>& walk : std::as_const(m_walks))
        walk->stop.store(true);
}

QString WalkQueue::progressText() const {
    QStringList lines;
    for (const std::shared_ptr<Walk>& walk : m_walks)
        lines.append(walk->progress.text());
    return lines.join(u'\n');
}

bool WalkQueue::waitForDone(int msecs) {
    return m_pool.waitForDone(msecs);
}

} // namespace palvorn
