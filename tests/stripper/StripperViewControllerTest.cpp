#include "stripper/StripperViewController.h"

#include "app/ToolWindow.h"
#include "app/WalkQueue.h"
#include "support/InspectorFixture.h"
#include "ui_StripperViewController.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QThread>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class StripperViewControllerTest : public InspectorFixture {
protected:
    StripperViewController& stripperWindow() {
        QMainWindow* window = delegate.openStripper();
        return *static_cast<ToolWindow*>(window)->contentController<StripperViewController>();
    }

    // The walks hand their texts back through the event loop, which the test turns until done.
    static void finishWalks(StripperViewController& view) {
        ASSERT_TRUE(view.processingQueue().waitForDone(60000));
        QCoreApplication::sendPostedEvents();
    }

    static QString outputOf(const StripperViewController& view) {
        return view.ui().outputText->toPlainText();
    }
};

} // namespace

TEST_F(StripperViewControllerTest, StripsATypedFolderAndReportsIt) {
    StripperViewController& view = stripperWindow();
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Stripper"_s);
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "12345");

    view.ui().folderText->setText(folder);
    view.ui().startButton->click(); // no type: nothing
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());

    view.ui().xattrTypeText->setText(u"t"_s);
    confirmation.answerWith(false); // asked first: No leaves everything
    view.ui().startButton->click();
    EXPECT_EQ(confirmation.questions(),
              QStringList{u"Remove every t from all items below "_s + folder + u"?"_s});
    finishWalks(view);
    EXPECT_TRUE(hasRaw(file, "user.t"));
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());

    // A restore file is kept unless the user says otherwise; the report ends with its place.
    EXPECT_TRUE(view.ui().keepRestoreFileCheck->isChecked());
    confirmation.answerWith(true);
    view.ui().startButton->click();
    EXPECT_TRUE(view.ui().progressSpinner->isVisible());
    EXPECT_EQ(view.ui().startButton->text(), u"Stop"_s);
    EXPECT_EQ(view.window()->windowTitle(), folder);
    finishWalks(view);
    EXPECT_EQ(view.ui().startButton->text(), u"Start"_s);
    const QString stripped = u"Stripped 1 xattrs of type t from 1 files in  "_s + folder +
                             u"\n\n"_s + file + u": 5  bytes.\n\nRestore file (1 xattrs): "_s;
    ASSERT_TRUE(outputOf(view).startsWith(stripped));
    const QString backup = outputOf(view).mid(stripped.size()).chopped(1);
    EXPECT_EQ(QFileInfo(backup).absolutePath(), StripperViewController::restoreFolder());
    QFile backupFile(backup);
    ASSERT_TRUE(backupFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(backupFile.readAll(),
              "# file: " + QFile::encodeName(file) + "\nuser.t=0sMTIzNDU=\n\n");
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());
    EXPECT_FALSE(hasRaw(file, "user.t"));

    // Saving writes what the pane shows.
    const QString saved = pathOf(u"strip.txt"_s);
    savePanel.answerWith(QUrl::fromLocalFile(saved));
    view.ui().saveButton->click();
    QFile report(saved);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(report.readAll()), outputOf(view));
    EXPECT_EQ(savePanel.requests().front().allowedFileTypes, (QStringList{u"text"_s, u"txt"_s}));
}

TEST_F(StripperViewControllerTest, ChosenFoldersTwoRunsAndFoldersThatCannotBeWalked) {
    StripperViewController& view = stripperWindow();
    view.ui().keepRestoreFileCheck->setChecked(false);
    const QString folder = makeFolder(u"chosen folder"_s);
    view.ui().xattrTypeText->setText(u"t"_s);
    openPanel.answerWith({QUrl::fromLocalFile(folder)});
    view.ui().startButton->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(options.canChooseDirectories && !options.canChooseFiles &&
                options.showsHiddenFiles);
    EXPECT_EQ(view.window()->windowTitle(), u"chosen folder"_s);
    EXPECT_EQ(view.ui().folderText->text(), QString());
    finishWalks(view);
    EXPECT_EQ(outputOf(view),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + folder + u"\n\n"_s);

    view.ui().folderText->setText(pathOf(u"missing"_s));
    view.ui().startButton->click();
    finishWalks(view);
    EXPECT_EQ(outputOf(view), pathOf(u"missing"_s) + u": No such file or directory"_s);
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());
}

TEST_F(StripperViewControllerTest, TildeMeansTheHomeFolder) {
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = makeFolder(u"home"_s);
    qputenv("HOME", QFile::encodeName(home));
    makeFolder(u"home/docs"_s);
    StripperViewController& view = stripperWindow();
    view.ui().keepRestoreFileCheck->setChecked(false);
    view.ui().folderText->setText(u"~/docs"_s);
    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().startButton->click();
    finishWalks(view);
    qputenv("HOME", oldHome);
    EXPECT_EQ(view.window()->windowTitle(), u"~/docs"_s);
    EXPECT_EQ(outputOf(view),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + home + u"/docs\n\n"_s);
}

// A walk that runs until it is told to stop, so that the test decides when walks end.
static void startWalkUntilStopped(StripperViewController& view, std::atomic_bool& running) {
    view.processingQueue().start([&running](WalkQueue::Walk& walk, const WalkQueue::Post&) {
        running = true;
        while (!walk.stop)
            QThread::msleep(1);
    });
    while (!running)
        QThread::msleep(1);
}

TEST_F(StripperViewControllerTest, EnterStartsASecondRunAndStopEndsEveryRun) {
    StripperViewController& view = stripperWindow();
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "1");
    std::atomic_bool running = false;
    startWalkUntilStopped(view, running);
    EXPECT_EQ(view.ui().startButton->text(), u"Stop"_s);

    view.ui().folderText->setText(folder);
    view.ui().xattrTypeText->setText(u"t"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().xattrTypeText, &enter);
    EXPECT_EQ(view.processingQueue().running(), 2);
    // The second run ends on its own while the first keeps going.
    while (hasRaw(file, "user.t") || view.processingQueue().running() > 1)
        QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(outputOf(view).startsWith(u"Stripped 1 xattrs"_s));
    EXPECT_EQ(view.ui().startButton->text(), u"Stop"_s);

    view.ui().startButton->click();
    finishWalks(view);
    EXPECT_EQ(view.processingQueue().running(), 0);
    EXPECT_EQ(view.ui().startButton->text(), u"Start"_s);
    EXPECT_TRUE(view.ui().progressText->text().isEmpty());
}

// Four walks hold every thread of the window, so the strip started next waits for one; closing the
// window stops them all, and the strip ends at once: nothing removed, and its report says so.
TEST_F(StripperViewControllerTest, ClosingTheWindowStopsItsRunsAndTheReportSaysSo) {
    StripperViewController& view = stripperWindow();
    view.ui().keepRestoreFileCheck->setChecked(false);
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "1");
    std::atomic_bool running[4] = {false, false, false, false};
    for (std::atomic_bool& walk : running)
        startWalkUntilStopped(view, walk);
    view.ui().folderText->setText(folder);
    view.ui().xattrTypeText->setText(u"t"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().folderText, &enter);
    EXPECT_EQ(view.processingQueue().running(), 5);

    view.window()->close();
    finishWalks(view);
    EXPECT_EQ(view.processingQueue().running(), 0);
    EXPECT_TRUE(hasRaw(file, "user.t"));
    EXPECT_EQ(outputOf(view),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + folder +
                  u"\n\n\nStopped before the end of the walk: 0 xattrs stripped from 0 files up "
                  u"to then; the items after them were left as they were.\n"_s);
}

TEST_F(StripperViewControllerTest, ADroppedFolderFillsTheFolderField) {
    StripperViewController& view = stripperWindow();
    const QString folder = makeFolder(u"dropped"_s);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(folder)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().folderText, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().folderText, &drop);
    EXPECT_EQ(view.ui().folderText->text(), folder);

    // A file is no folder: the field keeps its text.
    mime.setUrls({QUrl::fromLocalFile(makeFile(u"plain"_s))});
    QDropEvent fileDrop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().folderText, &fileDrop);
    EXPECT_EQ(view.ui().folderText->text(), folder);
}

// The real question, offscreen: the message box is answered by clicking its Yes button.
TEST_F(StripperViewControllerTest, TheRealQuestionStartsTheStripOnYes) {
    StripperViewController view(
        Platform{alert, openPanel, savePanel, pasteboard, updateAlert, workspace});
    view.show();
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "1");
    view.ui().folderText->setText(folder);
    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().startButton->click();
    auto* box = view.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), u"Remove every t from all items below "_s + folder + u"?"_s);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
    finishWalks(view);
    EXPECT_FALSE(hasRaw(file, "user.t"));
}

TEST_F(StripperViewControllerTest, AFolderOfAnUnknownUserIsRefusedAndNothingWalked) {
    StripperViewController& view = stripperWindow();
    view.ui().folderText->setText(u"~palvorn-no-such-user"_s);
    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().startButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"There is no user \u201cpalvorn-no-such-user\u201d, so "
                                         u"\u201c~palvorn-no-such-user\u201d names no folder."_s});
    EXPECT_TRUE(confirmation.questions().isEmpty());
    EXPECT_EQ(view.processingQueue().running(), 0);
}
