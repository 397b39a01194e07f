#include "app/ToolWindow.h"
#include "compare/CompareViewController.h"
#include "platform/QtOpenPanel.h"
#include "platform/QtSavePanel.h"
#include "support/InspectorFixture.h"
#include "ui_CompareViewController.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The real dialogs, driven as a user would: selecting in the list, typing into the name field,
// pressing Enter or the dialog's button.
namespace {

QFileDialog* shownDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

QLineEdit& nameField(QFileDialog& dialog) {
    return *dialog.findChild<QLineEdit*>(u"fileNameEdit"_s);
}

QPushButton& acceptButton(QFileDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>(u"buttonBox"_s);
    QPushButton* open = box->button(QDialogButtonBox::Open);
    return open ? *open : *box->button(QDialogButtonBox::Save);
}

// Types TEXT into the empty name field, and Enter when asked to.
void type(QFileDialog& dialog, const QString& text, bool enter = false) {
    nameField(dialog).setFocus();
    nameField(dialog).clear();
    QTest::keyClicks(&nameField(dialog), text);
    if (enter)
        QTest::keyClick(&nameField(dialog), Qt::Key_Return);
}

// As a click does: the rows of these names, and nothing else, become the selection.
void selectInList(QFileDialog& dialog, const QStringList& paths) {
    auto* list = dialog.findChild<QAbstractItemView*>(u"listView"_s);
    auto* model = qobject_cast<QFileSystemModel*>(list->model());
    list->setFocus();
    list->selectionModel()->clearSelection();
    for (const QString& path : paths) {
        const QModelIndex row = model->index(path);
        ASSERT_TRUE(row.isValid()) << path.toStdString();
        list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::Select |
                                                         QItemSelectionModel::Rows);
    }
}

class QtPanelDialogTest : public InspectorFixture {
protected:
    // The dialog just opened on PARENT, shown on the temporary folder as the user's window
    // (typing goes to its focused field); the test then plays the user.
    QFileDialog& shownOn(QWidget* parent = nullptr) {
        QFileDialog* dialog = shownDialog();
        EXPECT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), parent);
        QApplication::setActiveWindow(dialog);
        dialog->setDirectory(pathOf(QString()));
        return *dialog;
    }
    QFileDialog& beginOpen() {
        OpenPanel::Options options;
        options.canChooseDirectories = true;
        realOpenPanel.begin(nullptr, options,
                            [this](const QList<QUrl>& urls) { completions.append(urls); });
        return shownOn();
    }

    const QString file = makeFile(u"demo2.txt"_s, "text"), other = makeFile(u"other.txt"_s);
    const QString folder = makeFolder(u"folder"_s);
    QtOpenPanel realOpenPanel;
    QList<QList<QUrl>> completions;
};

} // namespace

// A file is chosen by click and Open through the real callers below.
TEST_F(QtPanelDialogTest, OpenTakesAFolderSelectedAfterAFileOrTypedAndEnteredTwice) {
    QFileDialog* dialog = &beginOpen();
    EXPECT_NE(dialog->windowTitle(), u"Find Directory"_s);
    EXPECT_FALSE(dialog->nameFilters().join(u' ').contains(u"Directories"_s));
    selectInList(*dialog, {file});
    selectInList(*dialog, {folder});
    acceptButton(*dialog).click();

    dialog = &beginOpen(); // a typed folder is gone into; Enter again chooses it
    type(*dialog, u"folder"_s, true);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->directory().absolutePath(), folder);
    EXPECT_EQ(nameField(*dialog).text(), QString());
    QTest::keyClick(&nameField(*dialog), Qt::Key_Return);

    dialog = &beginOpen(); // naming nothing, then cancelled, chooses nothing
    type(*dialog, u"no such file"_s);
    EXPECT_FALSE(acceptButton(*dialog).isEnabled());
    QTest::keyClick(&nameField(*dialog), Qt::Key_Escape);

    dialog = &beginOpen(); // with nothing selected or typed, Open takes the folder shown
    const QList<QUrl> shown = {QUrl::fromLocalFile(dialog->directory().absolutePath())};
    acceptButton(*dialog).click();
    const QList<QUrl> chosen = {QUrl::fromLocalFile(folder)};
    EXPECT_EQ(completions, (QList<QList<QUrl>>{chosen, chosen, {}, shown}));
    EXPECT_EQ(shownDialog(), nullptr);
}

TEST_F(QtPanelDialogTest, SaveTakesATypedNameAndAsksBeforeReplacing) {
    QtSavePanel realSavePanel;
    QList<std::optional<QUrl>> saved;
    const auto beginSave = [&] {
        realSavePanel.begin(nullptr, {u"report.text"_s, {u"text"_s, u"txt"_s}, true},
                            [&saved](const std::optional<QUrl>& url) { saved.append(url); });
        return &shownOn();
    };
    QFileDialog* dialog = beginSave();
    EXPECT_EQ(nameField(*dialog).text(), u"report.text"_s);
    type(*dialog, u"new report"_s, true); // the suffix is added
    // An existing file is replaced only when the user says so.
    const QString existing = makeFile(u"old.txt"_s, "old");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        dialog = beginSave();
        QTimer::singleShot(0, [answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->button(answer)->click();
        });
        type(*dialog, existing, true);
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
    QFileDialog& open = shownOn(nullptr);
    EXPECT_EQ(open.findChild<QAbstractItemView*>(u"listView"_s)->selectionMode(),
              QAbstractItemView::ExtendedSelection); // several at once
    selectInList(open, {file, folder});
    acceptButton(open).click();
    ASSERT_EQ(app.documents().size(), 2);
    EXPECT_EQ(app.documents().back()->window()->windowTitle(), u"folder"_s);

    ViewController& inspector = app.documents().front()->window()->viewController();
    inspector.ui().inspectButton->click();
    type(shownOn(inspector.window()), other, true);
    EXPECT_EQ(inspector.ui().filenameTextbox->text(), other);

    auto* compare =
        static_cast<ToolWindow*>(app.openCompare())->contentController<CompareViewController>();
    compare->ui().choose1Button->click();
    QFileDialog& first = shownOn(compare->window());
    selectInList(first, {folder});
    QTest::keyClick(first.findChild<QAbstractItemView*>(u"listView"_s), Qt::Key_Return);
    EXPECT_EQ(compare->ui().file1Textbox->text(), folder);
    EXPECT_EQ(compare->firstURL(), QUrl::fromLocalFile(folder));
    EXPECT_TRUE(alert.shown().isEmpty());

    for (Document* document : app.documents())
        delete document->window();
}
