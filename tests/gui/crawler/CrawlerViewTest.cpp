#include "gui/crawler/CrawlerView.h"

#include "support/ToolWindowFixture.h"
#include "ui_CrawlerView.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The reports are the crawler's (tested there); here the controls reach it and its text the pane.
class CrawlerViewTest : public ToolWindowFixture {
protected:
    CrawlerView& view = tool<CrawlerView>(delegate.openCrawler());
};

// The controls choose the walk and the pane shows its report, or why the folder cannot be walked; a
// chosen folder titles the window; while a walk runs, a timer shows its progress in the label and
// its accessible name.
TEST_F(CrawlerViewTest, ScansByTheControlsShowsProgressAndSavesThePane) {
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Crawler"_s);
    EXPECT_FALSE(view.ui().showSizeCheckbox->isChecked()); // and Total sizes: see the first report
    const QString root = makeFolder(u"scan"_s);
    setRaw(makeFile(u"scan/a"_s), "user.t", "12345");
    const QString head = u"Found 1 files with xattrs out of 1 scanned in "_s + root;

    view.ui().folderText->setText(root);
    view.ui().startButton->click();
    EXPECT_TRUE(view.ui().progressSpinner->isVisible());
    EXPECT_TRUE(outputAfterWalks(view).startsWith(
        head + u" 1 total xattrs.\nThere are 1 Xattr types\n\n"_s));
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());

    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().showSizeCheckbox->setChecked(true);
    view.ui().startButton->click();
    EXPECT_EQ(view.ui().startButton->text(), u"St&op"_s);
    EXPECT_EQ(outputAfterWalks(view),
              head + u" 1 total xattrs, and 1 of type t\n\n"_s + root + u"/a: 5  bytes.\n"_s);
    EXPECT_EQ(view.ui().startButton->text(), u"&Scan"_s);
    view.ui().totalSizesCheckbox->setChecked(true);
    pressEnter(*view.ui().xattrTypeText);
    const QString output = outputAfterWalks(view);
    EXPECT_TRUE(output.startsWith(head + u"\nTotal size of xattrs 5 bytes."_s))
        << output.toStdString();
    EXPECT_EQ(savedPane(view), output);

    view.ui().folderText->setText(pathOf(u"missing"_s));
    view.ui().startButton->click();
    // A new walk starts with an empty pane: its error lines never come under the last report.
    EXPECT_EQ(view.ui().outputText->toPlainText(), QString());
    EXPECT_EQ(outputAfterWalks(view), pathOf(u"missing"_s) + u": No such file or directory"_s);

    const QString chosen = makeFolder(u"chosen"_s);
    view.ui().folderText->clear();
    openPanel.answerWith({chosen});
    view.ui().startButton->click();
    EXPECT_EQ(view.window()->windowTitle(), u"chosen"_s);
    EXPECT_TRUE(outputAfterWalks(view).startsWith(
        u"Found 0 files with xattrs out of 0 scanned in "_s + chosen + u"\nTotal size"_s));

    // A screen reader hears the count too.
    startWalkUntilStopped(view.processingQueue(), 42);
    while (view.ui().progressText->text() != u"42 items, in /some/folder"_s)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(view.ui().progressText->accessibleName(), u"Progress: 42 items, in /some/folder"_s);
    view.ui().startButton->click(); // Stop
    finishWalks(view.processingQueue());
    EXPECT_TRUE(view.ui().progressText->text().isEmpty());
    EXPECT_EQ(view.ui().progressText->accessibleName(), u"Progress"_s);
}
