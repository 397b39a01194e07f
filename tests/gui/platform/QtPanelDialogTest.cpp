#include "core/model/ByteText.h"
#include "gui/compare/CompareView.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/FolderEntryModel.h"
#include "gui/platform/QtOpenPanel.h"
#include "gui/platform/QtSavePanel.h"
#include "gui/tools/ToolWindow.h"
#include "support/InspectorFixture.h"
#include "ui_CompareView.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The real dialogs, driven as a user would: selecting in the list, typing into the name field,
// pressing Enter or the dialog's button.
namespace {

template <typename Dialog> Dialog* shownDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

QLineEdit& nameField(QFileDialog& dialog) {
    return *dialog.findChild<QLineEdit*>(u"fileNameEdit"_s);
}

// Types TEXT into the empty name field, and Enter when asked to.
void type(QLineEdit& field, const QString& text, bool enter = false) {
    field.setFocus();
    field.clear();
    QTest::keyClicks(&field, text);
    if (enter)
        QTest::keyClick(&field, Qt::Key_Return);
}

// As a click does: the rows of these paths, and nothing else, become the selection.
void selectInList(FileChooser& dialog, const QStringList& paths) {
    const auto* model = static_cast<const FolderEntryModel*>(dialog.list().model());
    dialog.list().setFocus();
    dialog.list().selectionModel()->clearSelection();
    for (const QString& path : paths) {
        const int row = model->rowOf(path);
        ASSERT_GE(row, 0) << path.toStdString();
        dialog.list().selectionModel()->setCurrentIndex(
            model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

QStringList listed(const FileChooser& dialog) {
    QStringList names;
    for (int row = 0; row < dialog.list().model()->rowCount(); ++row)
        names.append(dialog.list().model()->index(row, 0).data().toString());
    return names;
}

class QtPanelDialogTest : public InspectorFixture {
protected:
    // The dialog just opened on PARENT, shown as the user's window (typing goes to its focused
    // field); the test then plays the user.
    template <typename Dialog> Dialog& shownOn(QWidget* parent = nullptr) {
        Dialog* dialog = shownDialog<Dialog>();
        EXPECT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), parent);
        QApplication::setActiveWindow(dialog);
        if constexpr (std::is_same_v<Dialog, FileChooser>)
            dialog->setFolder(pathOf(QString()));
        else
            dialog->setDirectory(pathOf(QString()));
        return *dialog;
    }
    FileChooser& beginOpen(OpenPanel::Options options = {true, true, false, false, false}) {
        realOpenPanel.begin(nullptr, options,
                            [this](const QStringList& paths) { completions.append(paths); });
        return shownOn<FileChooser>();
    }

    const QString file = makeFile(u"demo2.txt"_s, "text"), other = makeFile(u"other.txt"_s);
    const QString folder = makeFolder(u"folder"_s);
    QtOpenPanel realOpenPanel;
    QList<QStringList> completions;
};

} // namespace

// What is selected is chosen with Open or Enter; a typed folder is gone into and a second Enter
// chooses it; nothing selected or typed chooses the folder shown. Names that are not UTF-8 are
// listed as names are shown, and chosen byte for byte.
TEST_F(QtPanelDialogTest, OpenTakesAFolderSelectedAfterAFileOrTypedAndEnteredTwice) {
    const QByteArray bytes = QFile::encodeName(pathOf(u"bad"_s)) + "\xff";
    ASSERT_EQ(::close(::open(bytes.constData(), O_CREAT | O_WRONLY, 0644)), 0);
    makeFile(u".hidden"_s);
    FileChooser* dialog = &beginOpen();
    EXPECT_EQ(dialog->windowTitle(), u"Choose a File or Folder"_s);
    EXPECT_EQ(listed(*dialog),
              (QStringList{u"folder"_s, u"bad\\xff"_s, u"demo2.txt"_s, u"other.txt"_s}));
    selectInList(*dialog, {file});
    selectInList(*dialog, {folder});
    dialog->openButton().click();

    dialog = &beginOpen(); // a typed folder is gone into; Enter again chooses it
    type(dialog->nameField(), u"folder"_s, true);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->folder(), folder);
    EXPECT_EQ(dialog->nameField().text(), QString());
    QTest::keyClick(&dialog->nameField(), Qt::Key_Return);

    dialog = &beginOpen(); // naming nothing, then cancelled, chooses nothing
    type(dialog->nameField(), u"no such file"_s);
    EXPECT_FALSE(dialog->openButton().isEnabled());
    QTest::keyClick(&dialog->nameField(), Qt::Key_Escape);

    dialog = &beginOpen(); // with nothing selected or typed, Open takes the folder shown
    const QString shown = dialog->folder();
    dialog->openButton().click();

    dialog = &beginOpen(); // by keys: Down selects the first row, Enter chooses what is selected
    dialog->list().setFocus();
    QTest::keyClick(&dialog->list(), Qt::Key_Down);
    QTest::keyClick(&dialog->list(), Qt::Key_Down);
    QTest::keyClick(&dialog->list(), Qt::Key_Return);
    EXPECT_EQ(completions,
              (QList<QStringList>{{folder}, {folder}, {}, {shown}, {ByteText::decode(bytes)}}));

    dialog = &beginOpen(); // Alt+Down goes into a folder, Backspace back up to it
    selectInList(*dialog, {folder});
    QTest::keyClick(&dialog->list(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(dialog->folder(), folder);
    QTest::keyClick(&dialog->list(), Qt::Key_Backspace);
    EXPECT_EQ(dialog->folder(), pathOf(QString()));
    QTest::keyClick(&dialog->list(), Qt::Key_Return);
    EXPECT_EQ(completions.constLast(), QStringList{folder});
    EXPECT_EQ(shownDialog<FileChooser>(), nullptr);
}

// Hidden items only where asked for; folders alone where only folders may be chosen; where only
// files may be, a folder is gone into and a typed folder is no choice.
TEST_F(QtPanelDialogTest, TheOptionsDecideWhatIsListedAndWhatOpenTakes) {
    makeFile(u".hidden"_s);
    FileChooser& folders = beginOpen({false, true, false, true, false});
    EXPECT_EQ(folders.windowTitle(), u"Choose a Folder"_s);
    EXPECT_EQ(listed(folders), QStringList{u"folder"_s});
    folders.reject();
    FileChooser& files = beginOpen({true, false, true, true, false});
    EXPECT_EQ(listed(files),
              (QStringList{u"folder"_s, u".hidden"_s, u"demo2.txt"_s, u"other.txt"_s}));
    selectInList(files, {folder});
    files.openButton().click();
    EXPECT_EQ(files.folder(), folder);
    files.setFolder(pathOf(QString()));
    selectInList(files, {file, other});
    files.openButton().click();
    EXPECT_EQ(completions, (QList<QStringList>{{}, {file, other}}));
}

TEST_F(QtPanelDialogTest, SaveTakesATypedNameAndAsksBeforeReplacing) {
    QtSavePanel realSavePanel;
    QList<std::optional<QUrl>> saved;
    const auto beginSave = [&] {
        realSavePanel.begin(nullptr, {u"report.text"_s, {u"text"_s, u"txt"_s}, true},
                            [&saved](const std::optional<QUrl>& url) { saved.append(url); });
        return &shownOn<QFileDialog>();
    };
    QFileDialog* dialog = beginSave();
    EXPECT_EQ(nameField(*dialog).text(), u"report.text"_s);
    type(nameField(*dialog), u"new report"_s, true); // the suffix is added
    // An existing file is replaced only when the user says so.
    const QString existing = makeFile(u"old.txt"_s, "old");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        dialog = beginSave();
        QTimer::singleShot(0, [answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->button(answer)->click();
        });
        type(nameField(*dialog), existing, true);
        if (answer == QMessageBox::No)
            QTest::keyClick(&nameField(*dialog), Qt::Key_Escape);
    }
    EXPECT_EQ(saved, (QList<std::optional<QUrl>>{QUrl::fromLocalFile(pathOf(u"new report.text"_s)),
                                                 std::nullopt, QUrl::fromLocalFile(existing)}));
}

// The three callers of the open panel, each through the real dialog.
TEST_F(QtPanelDialogTest, FileOpenInspectAndCompareChooseThroughTheRealDialog) {
    AppDelegate app(Platform{alert, realOpenPanel, savePanel, pasteboard, updateAlert, workspace});
    app.openFiles(); // File > Open: several at once
    FileChooser& open = shownOn<FileChooser>(nullptr);
    EXPECT_EQ(open.list().selectionMode(), QAbstractItemView::ExtendedSelection);
    selectInList(open, {file, folder});
    open.openButton().click();
    ASSERT_EQ(app.documents().size(), 2);
    EXPECT_EQ(app.documents().back()->window()->windowTitle(), u"demo2.txt"_s);

    InspectorView& inspector = app.documents().front()->window()->inspectorView();
    inspector.ui().inspectButton->click();
    type(shownOn<FileChooser>(inspector.window()).nameField(), other, true);
    EXPECT_EQ(inspector.ui().filenameTextbox->text(), other);

    auto* compare = static_cast<ToolWindow*>(app.openCompare())->contentController<CompareView>();
    compare->ui().choose1Button->click();
    FileChooser& first = shownOn<FileChooser>(compare->window());
    selectInList(first, {folder});
    QTest::keyClick(&first.list(), Qt::Key_Return);
    EXPECT_EQ(compare->ui().file1Textbox->text(), folder);
    EXPECT_EQ(compare->firstPath(), folder);
    EXPECT_TRUE(alert.shown().isEmpty());

    for (Document* document : app.documents())
        delete document->window();
}
