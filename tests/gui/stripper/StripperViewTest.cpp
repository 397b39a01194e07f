#include "gui/stripper/StripperView.h"

#include "support/ToolWindowFixture.h"
#include "ui_StripperView.h"

#include <QFileInfo>
#include <QMessageBox>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The strip itself is the core's (tested there); here the controls, the question, the restore
// file and the stops reach it, and its report reaches the pane.
class StripperViewTest : public ToolWindowFixture {
protected:
    StripperView& view = tool<StripperView>(delegate.openStripper());
};

// Asked first, the strip removes the type and reports it with its restore file. Closing the window
// stops its walks, also a strip that waits for a thread: nothing removed, and its report says so.
TEST_F(StripperViewTest, AskedFirstStripsATypedFolderAndStopsWhenTheWindowCloses) {
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Stripper"_s);
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "12345");
    view.ui().folderText->setText(folder);
    EXPECT_FALSE(view.ui().startButton->isEnabled()); // no type: nothing to start
    pressEnter(*view.ui().folderText);                // not even the question
    EXPECT_TRUE(confirmation.questions().isEmpty());

    view.ui().xattrTypeText->setText(u"t"_s);
    EXPECT_TRUE(view.ui().startButton->isEnabled());
    confirmation.answerWith(false); // asked first: No leaves everything
    view.ui().startButton->click();
    EXPECT_EQ(confirmation.questions(),
              QStringList{u"Remove every t from all items below "_s + folder + u"?"_s});
    outputAfterWalks(view);
    EXPECT_TRUE(hasRaw(file, "user.t"));

    // A restore file is kept unless the user says otherwise; the report ends with its place.
    confirmation.answerWith(true);
    view.ui().startButton->click();
    const QString output = outputAfterWalks(view);
    const QString stripped = u"Stripped 1 xattrs of type t from 1 files in  "_s + folder +
                             u"\n\n"_s + file + u": 5  bytes.\n\nRestore file (1 xattrs): "_s;
    ASSERT_TRUE(output.startsWith(stripped));
    const QString backup = output.mid(stripped.size()).chopped(1);
    EXPECT_EQ(QFileInfo(backup).absolutePath(), StripperView::restoreFolder());
    EXPECT_EQ(contentOf(backup), "# file: " + QFile::encodeName(file) + "\nuser.t=0sMTIzNDU=\n\n");
    EXPECT_FALSE(hasRaw(file, "user.t"));
    EXPECT_EQ(savedPane(view), output);

    view.ui().keepRestoreFileCheck->setChecked(false);
    for (int i = 0; i < 4; ++i)
        startWalkUntilStopped(view.processingQueue());
    setRaw(file, "user.t", "1");
    pressEnter(*view.ui().folderText);
    EXPECT_EQ(view.processingQueue().running(), 5);
    view.window()->close();
    EXPECT_EQ(outputAfterWalks(view),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + folder +
                  u"\n\n\nStopped before the end of the walk: 0 xattrs stripped from the 0 files "
                  u"walked; the items it did not reach were left as they were.\n"_s);
    EXPECT_TRUE(hasRaw(file, "user.t"));
}

// A folder comes from the panel, the field (where "~" is the home folder) or a drop; one that
// cannot be walked says why, and an unknown user's is refused before anything is asked.
TEST_F(StripperViewTest, FoldersChosenTypedOrDroppedAndFoldersThatCannotBeWalked) {
    view.ui().keepRestoreFileCheck->setChecked(false);
    const QString folder = makeFolder(u"chosen folder"_s);
    const QString empty = u"Stripped 0 xattrs of type t from 0 files in  "_s + folder + u"\n\n"_s;
    view.ui().xattrTypeText->setText(u"t"_s);
    openPanel.answerWith({folder});
    view.ui().startButton->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(options.canChooseDirectories && !options.canChooseFiles &&
                options.showsHiddenFiles);
    EXPECT_EQ(view.window()->windowTitle(), u"chosen folder"_s);
    EXPECT_EQ(view.ui().folderText->text(), QString()); // the next Start asks again
    EXPECT_EQ(outputAfterWalks(view), empty);

    view.ui().folderText->setText(pathOf(u"missing"_s));
    view.ui().startButton->click();
    EXPECT_EQ(outputAfterWalks(view), pathOf(u"missing"_s) + u": No such file or directory"_s);

    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(QFileInfo(folder).path()));
    view.ui().folderText->setText(u"~/chosen folder"_s);
    view.ui().startButton->click();
    qputenv("HOME", oldHome);
    EXPECT_EQ(view.window()->windowTitle(), u"~/chosen folder"_s);
    EXPECT_EQ(outputAfterWalks(view), empty);

    const qsizetype asked = confirmation.questions().size();
    view.ui().folderText->setText(u"~palvorn-no-such-user"_s);
    view.ui().startButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"There is no user \u201cpalvorn-no-such-user\u201d, so "
                                         u"\u201c~palvorn-no-such-user\u201d names no folder."_s});
    EXPECT_EQ(confirmation.questions().size(), asked);

    EXPECT_TRUE(dropOn(*view.ui().folderText, {QUrl::fromLocalFile(folder)}));
    EXPECT_EQ(view.ui().folderText->text(), folder);
    dropOn(*view.ui().folderText, {QUrl::fromLocalFile(makeFile(u"plain"_s))}); // no folder
    EXPECT_EQ(view.ui().folderText->text(), folder);
}

// The type is typed as reports show names; the real question shows it, and the folder, as text,
// with No as its default; offscreen it is answered by clicking its Yes button. A type whose
// escapes name nothing is refused before anything is asked.
TEST_F(StripperViewTest, TheQuestionShowsTheTypeAndFolderAsText) {
    const QString folder = makeFolder(u"<b>walk</b>"_s);
    const QString file = makeFile(u"<b>walk</b>/f"_s);
    setRaw(file, "user.<i>t</i>\x1b", "v");
    StripperView real(Platform{alert, openPanel, savePanel, pasteboard, updateAlert, workspace});
    real.show();
    real.ui().folderText->setText(folder);
    real.ui().xattrTypeText->setText(u"user.\\q"_s);
    real.ui().startButton->click();
    EXPECT_EQ(real.findChild<QMessageBox*>(), nullptr);
    EXPECT_EQ(alert.shown(), QStringList{u"\u201c\\q\u201d in a name: a backslash is typed as "
                                         "\\\\, a byte as \\xHH"_s});

    real.ui().xattrTypeText->setText(u"user.<i>t</i>\\x1b"_s);
    real.ui().startButton->click();
    auto* box = real.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(),
              u"Remove every user.<i>t</i>\\x1b from all items below "_s + folder + u"?"_s);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
    finishWalks(real.processingQueue());
    EXPECT_FALSE(hasRaw(file, "user.<i>t</i>\x1b"));
}
