#include "crawler/CrawlerViewController.h"

#include "app/ToolWindow.h"
#include "app/WalkQueue.h"
#include "support/InspectorFixture.h"
#include "ui_CrawlerViewController.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QThread>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class CrawlerViewControllerTest : public InspectorFixture {
protected:
    CrawlerViewController& crawlerWindow() {
        QMainWindow* window = delegate.openCrawler();
        return *static_cast<ToolWindow*>(window)->contentController<CrawlerViewController>();
    }

    // The walks hand their texts back through the event loop, which the test turns until done.
    static QString outputAfterWalks(CrawlerViewController& view) {
        EXPECT_TRUE(view.processingQueue().waitForDone(60000));
        QCoreApplication::sendPostedEvents();
        return view.ui().outputText->toPlainText();
    }
};

} // namespace

TEST_F(CrawlerViewControllerTest, ScansByTheControlsAndSavesThePane) {
    CrawlerViewController& view = crawlerWindow();
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Crawler"_s);
    EXPECT_FALSE(view.ui().showSizeCheckbox->isChecked());
    EXPECT_FALSE(view.ui().totalSizesCheckbox->isChecked());
    const QString root = makeFolder(u"scan"_s);
    setRaw(makeFile(u"scan/a"_s), "user.t", "12345");
    const QString head = u"Found 1 files with xattrs out of 1 scanned in "_s + root;

    view.ui().folderText->setText(root);
    view.ui().startButton->click();
    EXPECT_TRUE(view.ui().progressSpinner->isVisible());
    EXPECT_EQ(view.window()->windowTitle(), root);
    EXPECT_TRUE(outputAfterWalks(view).startsWith(
        head + u" 1 total xattrs.\nThere are 1 Xattr types\n\n"_s));
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());

    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().showSizeCheckbox->setChecked(true);
    view.ui().startButton->click();
    EXPECT_EQ(view.ui().startButton->text(), u"Stop"_s);
    view.ui().totalSizesCheckbox->setChecked(true);
    // Enter starts a second scan beside the first; the later report replaces the earlier.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(view.ui().xattrTypeText, &enter);
    const QString output = outputAfterWalks(view);
    EXPECT_EQ(view.ui().startButton->text(), u"Scan"_s);
    EXPECT_TRUE(output.startsWith(head + u"\nTotal size of xattrs 5 bytes."_s) ||
                output ==
                    head + u" 1 total xattrs, and 1 of type t\n\n"_s + root + u"/a: 5  bytes.\n"_s)
        << output.toStdString();

    const QString saved = pathOf(u"crawl.text"_s);
    savePanel.answerWith(QUrl::fromLocalFile(saved));
    view.ui().saveButton->click();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), output);
}

TEST_F(CrawlerViewControllerTest, ErrorsComeBeforeTheReportAndUnwalkableFoldersSayWhy) {
    CrawlerViewController& view = crawlerWindow();
    view.ui().folderText->setText(pathOf(u"missing"_s));
    view.ui().startButton->click();
    EXPECT_EQ(outputAfterWalks(view), pathOf(u"missing"_s) + u": No such file or directory"_s);
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());

    // A chosen folder keeps the field empty and titles the window with the folder's name.
    const QString chosen = makeFolder(u"chosen"_s);
    view.ui().folderText->clear();
    openPanel.answerWith({QUrl::fromLocalFile(chosen)});
    view.ui().startButton->click();
    EXPECT_EQ(view.window()->windowTitle(), u"chosen"_s);
    EXPECT_EQ(outputAfterWalks(view), u"Found 0 files with xattrs out of 0 scanned in "_s + chosen +
                                          u" 0 total xattrs.\nThere are 0 Xattr types\n\n"_s);
}

// While a walk runs the label shows its progress, read from the walk's counter by a timer.
TEST_F(CrawlerViewControllerTest, ProgressShowsItemsAndTheCurrentFolder) {
    CrawlerViewController& view = crawlerWindow();
    std::atomic_bool running = false;
    view.processingQueue().start([&running](WalkQueue::Walk& walk, const WalkQueue::Post&) {
        walk.progress.enterFolder("/some/folder");
        for (int i = 0; i < 42; ++i)
            walk.progress.countItem();
        running = true;
        while (!walk.stop)
            QThread::msleep(1);
    });
    while (!running)
        QThread::msleep(1);
    const QString expected = u"42 items, in /some/folder"_s;
    while (view.ui().progressText->text() != expected)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    view.ui().startButton->click(); // Stop
    EXPECT_TRUE(view.processingQueue().waitForDone(60000));
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(view.ui().progressText->text().isEmpty());
}
