#pragma once

#include "gui/tools/ToolWindow.h"
#include "gui/tools/WalkQueue.h"
#include "support/InspectorFixture.h"

#include <atomic>

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QThread>

// A tool window (compare, crawler, stripper) opened as the menu opens it, with recording services.
class ToolWindowFixture : public InspectorFixture {
protected:
    template <typename Controller> static Controller& tool(QMainWindow* window) {
        return *static_cast<palvorn::ToolWindow*>(window)->contentController<Controller>();
    }

    // The walks hand their texts back through the event loop, which the test turns until done.
    static void finishWalks(palvorn::WalkQueue& queue) {
        ASSERT_TRUE(queue.waitForDone(60000));
        QCoreApplication::sendPostedEvents();
    }

    // A walk that counts ITEMS in /some/folder, then runs until the test stops it.
    static void startWalkUntilStopped(palvorn::WalkQueue& queue, int items = 0) {
        std::atomic_bool running = false;
        queue.start(
            [&running, items](palvorn::WalkQueue::Walk& walk, const palvorn::WalkQueue::Post&) {
                walk.progress.enterFolder("/some/folder");
                for (int i = 0; i < items; ++i)
                    walk.progress.countItem();
                running = true; // the last use of this test's variable
                while (!walk.stop)
                    QThread::msleep(1);
            });
        while (!running)
            QThread::msleep(1);
    }

    // The pane of a crawler or stripper once its walks are done.
    template <typename View> static QString outputAfterWalks(View& view) {
        finishWalks(view.processingQueue());
        return view.ui().outputText->toPlainText();
    }

    // What the window's Save button writes, to the file the recording save panel answers with.
    template <typename View> QString savedPane(View& view) {
        QFile file(pathOf(QStringLiteral("pane.txt")));
        savePanel.answerWith(QUrl::fromLocalFile(file.fileName()));
        view.ui().saveButton->click();
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    static void pressEnter(QWidget& widget) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &press);
    }

    // What a file manager's drag carries, dropped through the real drag events.
    static bool dropOn(QWidget& target, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPointF centre = QRectF(target.rect()).center();
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &drop);
        return drop.isAccepted();
    }
};
