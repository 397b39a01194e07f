#include "gui/tools/WalkQueue.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

using namespace palvorn;

// Texts posted by walks reach the main thread in the order posted; stopping ends running walks,
// and a walk started after a stop runs normally.
TEST(WalkQueueTest, PostsArriveInOrderAndStopEndsRunningWalksOnly) {
    QStringList arrived;
    {
        WalkQueue queue;
        queue.start([&arrived](WalkQueue::Walk&, const WalkQueue::Post& post) {
            for (int i = 0; i < 100; ++i)
                post([&arrived, i] { arrived.append(QString::number(i)); });
        });
        std::atomic_bool running = false;
        queue.start([&running](WalkQueue::Walk& walk, const WalkQueue::Post&) {
            running = true;
            walk.progress.countItem();
            while (!walk.stop)
                QThread::msleep(1);
        });
        while (!running)
            QThread::msleep(1);
        EXPECT_TRUE(queue.progressText().contains(QStringLiteral("1 items")));
        queue.stopAll();
        ASSERT_TRUE(queue.waitForDone(10000));
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(queue.running(), 0);

        bool stoppedAtStart = true;
        queue.start([&stoppedAtStart](WalkQueue::Walk& walk, const WalkQueue::Post&) {
            stoppedAtStart = walk.stop;
        });
        ASSERT_TRUE(queue.waitForDone(10000));
        EXPECT_FALSE(stoppedAtStart);
    }
    ASSERT_EQ(arrived.size(), 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(arrived.at(i), QString::number(i));
}
