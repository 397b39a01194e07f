#include "app/WalkQueue.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

using namespace palvorn;

// Texts posted by walks reach the main thread in the order posted; stopping ends running walks.
TEST(WalkQueueTest, PostsArriveInOrderAndStopEndsRunningWalks) {
    QStringList arrived;
    {
        WalkQueue queue;
        queue.start([&arrived](const std::atomic_bool&, const WalkQueue::Post& post) {
            for (int i = 0; i < 100; ++i)
                post([&arrived, i] { arrived.append(QString::number(i)); });
        });
        std::atomic_bool running = false;
        queue.start([&running](const std::atomic_bool& stop, const WalkQueue::Post&) {
            running = true;
            while (!stop)
                QThread::msleep(1);
        });
        while (!running)
            QThread::msleep(1);
        queue.stopAll();
        ASSERT_TRUE(queue.waitForDone(10000));
        QCoreApplication::sendPostedEvents();
    }
    ASSERT_EQ(arrived.size(), 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(arrived.at(i), QString::number(i));
}
