#include "stripper/StripperViewController.h"

#include "app/ToolWindow.h"
#include "app/WalkQueue.h"
#include "support/InspectorFixture.h"
#include "ui_StripperViewController.h"

#include <QCoreApplication>
#include <QDir>
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
    view.ui().startButton->click();
    EXPECT_TRUE(view.ui().progressSpinner->isVisible());
    EXPECT_EQ(view.window()->windowTitle(), folder);
    finishWalks(view);
    EXPECT_EQ(outputOf(view), u"Stripped 1 xattrs of type t from 1 files in  "_s + folder +
                                  u"\n\n"_s + file + u": 5  bytes.\n"_s);
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
    const QString folder = makeFolder(u"chosen folder"_s);
    view.ui().xattrTypeText->setText(u"t"_s);
    openPanel.answerWith({QUrl::fromLocalFile(folder)});
    view.ui().startButton->click();
    view.ui().startButton->click(); // two runs at once, two reports: the later replaces the earlier
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
    EXPECT_EQ(outputOf(view), u"No such file or directory"_s);
    EXPECT_FALSE(view.ui().progressSpinner->isVisible());
}

TEST_F(StripperViewControllerTest, TildeMeansTheHomeFolder) {
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = makeFolder(u"home"_s);
    qputenv("HOME", QFile::encodeName(home));
    makeFolder(u"home/docs"_s);
    StripperViewController& view = stripperWindow();
    view.ui().folderText->setText(u"~/docs"_s);
    view.ui().xattrTypeText->setText(u"t"_s);
    view.ui().startButton->click();
    finishWalks(view);
    qputenv("HOME", oldHome);
    EXPECT_EQ(view.window()->windowTitle(), u"~/docs"_s);
    EXPECT_EQ(outputOf(view),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + home + u"/docs\n\n"_s);
}
