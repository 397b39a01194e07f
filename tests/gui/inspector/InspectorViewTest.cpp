#include "gui/inspector/InspectorView.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/ResourceList.h"
#include "gui/editor/EditorDialog.h"
#include "support/AsAnotherUser.h"
#include "support/InspectorFixture.h"
#include "support/QuarantineDatabase.h"
#include "ui_EditorDialog.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUndoStack>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString separator = u"\n**********\n"_s;

class InspectorViewTest : public InspectorFixture {
protected:
    // Set out of byte order, which the system keeps and the export does not.
    QString makeThreeAttributeFile(const QString& name) {
        const QString file = makeFile(name, "0123456789");
        setRaw(file, "user.second", "");
        setRaw(file, "user.first", "first value");
        setRaw(file, "user.third", QByteArray("\xff\x01", 2));
        return file;
    }
};

} // namespace

// Without a file or a selection the commands have nothing to act on. The current row is what the
// controls describe and the report holds; without one the report is every row. Neither the report
// nor the export is saved over the inspected file; sorting never changes the system's order.
TEST_F(InspectorViewTest, TheWindowShowsReportsAndSavesWhatIsSelected) {
    InspectorView& empty = open({});
    // The splitter keeps its place for the next window.
    empty.window()->resize(900, 650);
    empty.window()->show();
    QSplitterHandle* handle = empty.ui().splitter->handle(1);
    const QList<int> start = empty.ui().splitter->sizes();
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(0, 60));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, 60));
    const QList<int> moved = empty.ui().splitter->sizes();
    ASSERT_NE(moved, start);
    EXPECT_EQ(empty.window()->windowTitle(), u"palvorn"_s);
    EXPECT_EQ(described(empty), (QStringList{{}, {}, u"New"_s, u"-----"_s}));
    EXPECT_EQ(empty.savedReportText(), u"\n"_s + separator);
    pasteboard.writeRecords({ResourceItem(u"user.a"_s, "x").archive()});
    EXPECT_FALSE(empty.pasteAttributes());
    empty.cutAttributes();
    empty.addQuarantine();

    const QString file = makeThreeAttributeFile(u"notes.txt"_s);
    InspectorView& view = open(file);
    view.window()->resize(900, 650);
    view.window()->show();
    EXPECT_EQ(view.ui().splitter->sizes(), moved);
    view.copyAttributes();
    view.cutAttributes();
    EXPECT_EQ(pasteboard.items().size(), 1); // nothing selected: the pasteboard keeps its item
    const QStringList texts = ResourceList::ofPath(file).displayTexts();
    const QStringList names = namesShown(view);
    EXPECT_EQ(view.ui().sizeSummaryLabel->text(), u"Xattr 13, data 10, total 23"_s);

    const QString report = pathOf(u"report.text"_s);
    savePanel.answerWith(std::nullopt);
    view.ui().saveButton->click();
    EXPECT_EQ(savePanel.requests().front().nameFieldStringValue, u"notes.txt_MD.text"_s);
    EXPECT_EQ(savePanel.requests().front().allowedFileTypes, (QStringList{u"text"_s, u"txt"_s}));
    EXPECT_TRUE(savePanel.requests().front().canCreateDirectories);
    savePanel.answerWith(QUrl::fromLocalFile(report));
    view.ui().saveButton->click();
    EXPECT_EQ(runTool(u"cat"_s, {report}),
              runTool(QStringLiteral(PALVORN_CLI_PATH), {u"show"_s, file}));
    const QString dump = pathOf(u"notes.txt.dump"_s);
    savePanel.answerWith(QUrl::fromLocalFile(dump));
    menuItem(view, u"&Export Attributes…"_s)->trigger();
    EXPECT_EQ(savePanel.requests().back().nameFieldStringValue, u"notes.txt.dump"_s);
    EXPECT_EQ(runTool(u"cat"_s, {dump}), "# file: " + QFile::encodeName(file) +
                                             "\nuser.first=0sZmlyc3QgdmFsdWU=\nuser.second=0s\n"
                                             "user.third=0s/wE=\n\n");
    EXPECT_TRUE(alert.shown().isEmpty());
    savePanel.answerWith(QUrl::fromLocalFile(file));
    view.ui().saveButton->click();
    menuItem(view, u"&Export Attributes…"_s)->trigger();
    EXPECT_EQ(getRaw(file, "user.first"), "first value");
    ASSERT_EQ(alert.shown().size(), 2);
    for (const QString& shown : alert.shown())
        EXPECT_TRUE(shown.contains(u"is the inspected file itself"_s)) << shown.toStdString();
    alert.clear();

    view.ui().xattrTable->selectRow(1);
    EXPECT_EQ(described(view), (QStringList{names.at(1), texts.at(1), u"Edit"_s, u"+++++"_s}));
    // Two rows: the pane shows the current one, and the report is that pane only.
    select(view, {names.at(1), names.at(2)});
    EXPECT_EQ(view.reportText(), texts.at(2));
    view.ui().xattrTable->selectionModel()->clearSelection();
    EXPECT_EQ(described(view), (QStringList{{}, {}, u"New"_s, u"++--+"_s}));

    // The keys and the menu's commands reach the inspector of their window, and are offered only
    // where they can act: Delete is a text field's own key while it has the focus.
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    QAction* cut = menuItem(view, u"Cu&t"_s);
    QAction* copy = menuItem(view, u"&Copy"_s);
    QAction* remove = menuItem(view, u"&Delete"_s);
    const auto offered = [&] {
        return QList<bool>{cut->isEnabled(), copy->isEnabled(), remove->isEnabled(),
                           view.ui().addFlagButton->isEnabled(),
                           view.ui().stripFlagButton->isEnabled()};
    };
    view.ui().xattrTable->setFocus();
    EXPECT_EQ(offered(), QList<bool>(5, false));
    setRaw(file, "user.fourth", "4");
    QTest::keyClick(view.ui().xattrTable, Qt::Key_F5);
    EXPECT_EQ(namesShown(view).size(), 4);
    QTest::keySequence(view.ui().xattrTable, QKeySequence::SelectAll);
    EXPECT_EQ(view.selectedRowIndexes().size(), 4);
    select(view, {u"user.fourth"_s});
    EXPECT_EQ(offered(), (QList<bool>{true, true, true, false, true})); // no flag text yet
    view.ui().flagTextbox->setText(u"S"_s);
    EXPECT_TRUE(view.ui().addFlagButton->isEnabled());
    for (QWidget* text :
         std::initializer_list<QWidget*>{view.ui().xattrTextbox, view.ui().outputTextcontent}) {
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Delete);
        remove->trigger();
    }
    EXPECT_EQ(getRaw(file, "user.fourth"), "4");
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.fourth"_s);
    view.ui().xattrTable->setFocus();
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Delete);
    EXPECT_FALSE(hasRaw(file, "user.fourth"));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"&New"_s);
    menuItem(view, u"&Undo Remove"_s)->trigger();
    EXPECT_EQ(getRaw(file, "user.fourth"), "4");
    EXPECT_FALSE(menuItem(view, u"&Undo"_s)->isEnabled());
    menuItem(view, u"&Redo Remove"_s)->trigger();
    EXPECT_FALSE(hasRaw(file, "user.fourth"));
    // Tab leaves the table for the name box, then the command buttons.
    view.ui().xattrTable->selectRow(0);
    view.ui().xattrTable->setFocus();
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().xattrTextbox->hasFocus());
    QTest::keyClick(view.ui().xattrTextbox, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().newXattrButton->hasFocus());
    // The keyboard is back in the table when the editor closes, ready for Undo.
    view.ui().newXattrButton->click();
    view.editor()->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.ui().xattrTable->hasFocus(); }));

    view.ui().xattrTable->selectionModel()->clearSelection();
    view.ui().xattrTable->sortByColumn(1, Qt::DescendingOrder); // by size
    EXPECT_EQ(namesShown(view), (QStringList{u"user.first"_s, u"user.third"_s, u"user.second"_s}));
    EXPECT_EQ(view.ui().xattrTable->model()->index(0, 1).data().toString(), u"11 bytes"_s);
    EXPECT_EQ(view.reportText(), texts.join(separator));
    view.ui().xattrTable->selectRow(2);
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.second"_s);
    view.ui().removeXattrButton->click();
    EXPECT_EQ(attributesOf(file).keys(), (QList<QByteArray>{"user.first", "user.third"}));
    view.ui().xattrTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    QStringList remaining = names;
    remaining.removeAll(u"user.second"_s);
    EXPECT_EQ(namesShown(view), remaining);
    EXPECT_TRUE(alert.shown().isEmpty());
}

// The Inspect button, a drop and the command line each bring a file into a window; nothing of
// the file shown before stays.
TEST_F(InspectorViewTest, InspectingAnotherFileReplacesEverything) {
    const QString first = makeThreeAttributeFile(u"first"_s);
    const QString folder = makeFolder(u"a folder"_s);
    setRaw(folder, "user.folder-note", "on the folder");
    InspectorView& view = open(first);
    view.ui().xattrTable->selectRow(0);

    openPanel.answerWith({folder});
    view.ui().inspectButton->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(openPanel.requests().front().asSheet && options.canChooseDirectories &&
                options.showsHiddenFiles && options.treatsPackagesAsDirectories &&
                !options.allowsMultipleSelection);
    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);
    EXPECT_EQ(view.window()->windowTitle(), u"a folder"_s);
    EXPECT_EQ(view.document()->displayName(), u"a folder_MD.text"_s);
    EXPECT_EQ(view.document()->fileUrl(), QUrl::fromLocalFile(first)); // the document stays
    EXPECT_EQ(namesShown(view), QStringList{u"user.folder-note"_s});
    EXPECT_EQ(described(view), (QStringList{{}, {}, u"New"_s, u"++--+"_s}));
    EXPECT_FALSE(view.ui().stripFlagButton->isEnabled());

    openPanel.answerWith({}); // a cancelled panel changes nothing
    view.ui().inspectButton->click();
    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);

    // A failed listing is shown once, and the window still shows the path.
    const QString missing = pathOf(u"gone"_s);
    openPanel.answerWith({missing});
    view.ui().inspectButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                         missing + u"\u201d)"_s});
    EXPECT_EQ(view.ui().filenameTextbox->text(), missing);
    EXPECT_EQ(view.ui().sizeSummaryLabel->text(), u"Xattr 0, data 0, total 0"_s);

    // A drop is inspected here, its other files each in a window of its own.
    const auto accepted = [&view](QDropEvent&& event) {
        QApplication::sendEvent(&view, &event);
        return event.isAccepted();
    };
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(first), QUrl(u"https://example.com/x"_s),
                  QUrl::fromLocalFile(folder)});
    ASSERT_TRUE(accepted(QDragEnterEvent({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {})));
    EXPECT_TRUE(accepted(QDropEvent({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {})));
    EXPECT_EQ(view.ui().filenameTextbox->text(), first);
    EXPECT_EQ(namesShown(view).size(), 3);
    ASSERT_EQ(delegate.documents().size(), 2);
    EXPECT_EQ(delegate.documents().at(1)->fileUrl(), QUrl::fromLocalFile(folder));
    QMimeData text;
    text.setText(u"not a file"_s);
    EXPECT_FALSE(accepted(QDragEnterEvent({10, 10}, Qt::CopyAction, &text, Qt::LeftButton, {})));

    // Paths from the command line are bytes: one that is not UTF-8, given relative to the current
    // folder, still reaches its file, and is shown as names are.
    const QByteArray bytes = QFile::encodeName(pathOf(u"bad"_s)) + "\xfepath";
    ASSERT_EQ(::close(::open(bytes.constData(), O_CREAT | O_WRONLY, 0644)), 0);
    ASSERT_EQ(::setxattr(bytes.constData(), "user.a", "value", 5, 0), 0);
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(pathOf({})));
    delegate.openDocuments({ByteText::decode("bad\xfepath")});
    QDir::setCurrent(current);
    const InspectorView& named = delegate.documents().constLast()->window()->inspectorView();
    EXPECT_EQ(namesShown(named), QStringList{u"user.a"_s});
    EXPECT_EQ(named.ui().filenameTextbox->text(), pathOf(u"bad"_s) + u"\\xfepath"_s);
    EXPECT_EQ(named.window()->windowTitle(), u"bad\\xfepath"_s);
    EXPECT_EQ(alert.shown().size(), 1); // the missing file's only
}

// Copy takes the selected rows in table order; paste reloads only when the pasteboard holds
// something. Remove and Strip flags go on past failures, in one alert; after the editor's save the
// saved attribute is selected; a quarantine stamp shows even when its event row cannot be recorded.
TEST_F(InspectorViewTest, CommandsActOnTheSelectionAndShowTheResult) {
    const QString source = makeThreeAttributeFile(u"source"_s);
    const QString target = makeFile(u"target"_s);
    InspectorView& from = open(source);
    InspectorView& to = open(target);
    setRaw(target, "user.added-behind", "x"); // shows up only if the list is reloaded
    pasteboard.clear();
    EXPECT_FALSE(to.pasteAttributes());
    EXPECT_EQ(namesShown(to), QStringList());
    pasteboard.holdText();
    EXPECT_TRUE(to.pasteAttributes());
    EXPECT_EQ(namesShown(to), QStringList{u"user.added-behind"_s});

    const QStringList names = namesShown(from);
    select(from, {names.at(2), names.at(0), names.at(1)});
    from.ui().copyXattrButton->click();
    QStringList copied;
    for (const std::optional<QByteArray>& item : pasteboard.items())
        copied.append(ResourceItem::fromArchive(item.value())->name());
    EXPECT_EQ(copied, names);
    to.ui().pasteXattrButton->click();
    Attributes pasted = attributesOf(target);
    pasted.remove("user.added-behind");
    EXPECT_EQ(pasted, attributesOf(source));
    EXPECT_TRUE(alert.shown().isEmpty());

    for (int row : {0, 1})
        ::removexattr(QFile::encodeName(source).constData(), names.at(row).toUtf8().constData());
    select(from, names);
    pasteboard.clear();
    from.ui().removeXattrButton->click();
    ASSERT_EQ(alert.shown().size(), 1); // a line for each failure, as the core words it
    EXPECT_EQ(alert.shown().front().split(u'\n').filter(u"No data available (attr"_s).size(), 2);
    EXPECT_EQ(attributesOf(source), Attributes());
    EXPECT_EQ(pasteboard.items().size(), 3);
    alert.clear();

    select(to, {u"user.first"_s, u"user.second"_s});
    to.ui().addFlagButton->click(); // no flag text: nothing happens
    to.ui().flagTextbox->setText(u"S"_s);
    to.ui().addFlagButton->click();
    EXPECT_EQ(attributesOf(target).keys(), (QList<QByteArray>{"user.added-behind", "user.first#S",
                                                              "user.second#S", "user.third"}));
    const auto selectedNames = [&to] {
        QStringList selected;
        for (int row : to.selectedRowIndexes())
            selected.append(namesShown(to).at(row));
        return selected;
    };
    EXPECT_EQ(selectedNames(), (QStringList{u"user.first#S"_s, u"user.second#S"_s}));
    select(to, {u"user.first#S"_s, u"user.second#S"_s, u"user.added-behind"_s});
    ::removexattr(QFile::encodeName(target).constData(), "user.first#S");
    to.ui().stripFlagButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    // The renamed row stays selected; the one that failed is gone, the unflagged one unchanged.
    EXPECT_EQ(selectedNames(), (QStringList{u"user.added-behind"_s, u"user.second"_s}));
    EXPECT_TRUE(alert.shown().front().contains(u"\u201cuser.first#S\u201d of \u201c"_s + target));
    EXPECT_EQ(attributesOf(target).keys(),
              (QList<QByteArray>{"user.added-behind", "user.second", "user.third"}));

    select(to, {u"user.third"_s});
    to.ui().newXattrButton->click();
    to.editor()->ui().nameTextbox->setText(u"user.renamed"_s);
    to.editor()->ui().saveButton->click();
    const int renamed = rowOf(to, u"user.renamed"_s);
    EXPECT_EQ(to.selectedRowIndexes(), QList<int>{renamed});
    EXPECT_EQ(described(to), (QStringList{u"user.renamed"_s,
                                          ResourceList::ofPath(target).displayTexts().at(renamed),
                                          u"Edit"_s, u"+++++"_s}));

    alert.clear();
    QTemporaryDir home; // no database below it, as on every system but macOS: no failure
    to.quarantine().homePath = home.path();
    const auto status = [&to] {
        return static_cast<QMainWindow*>(to.window())->statusBar()->currentMessage();
    };
    to.ui().quarantineButton->click();
    EXPECT_TRUE(alert.shown().isEmpty());
    EXPECT_TRUE(status().endsWith(u"does not exist, so no event was recorded for \u201c"_s +
                                  target + u"\u201d."_s));
    EXPECT_TRUE(getRaw(target, "user.com.apple.quarantine").startsWith("0083;"));
    EXPECT_EQ(to.ui().sizeSummaryLabel->text(), u"Xattr 67, data 0, total 67"_s);
    // A database that is there and fails is still a failure.
    QuarantineDatabase(home.path()).create();
    QFile(QuarantineDatabase(home.path()).path).resize(0); // no table
    to.ui().quarantineButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(
        alert.shown().constFirst().startsWith(u"sqlite3 command returned error number 1"_s));
    EXPECT_TRUE(status().isEmpty());
}

// An undo over a change made since is refused, stays the next step and is not run again. Outside
// writes reach the window by themselves, keeping the selection; an automatic reload puts what it
// could not read in the status line, never in an alert.
TEST_F(InspectorViewTest, OutsideChangesAreNeitherUndoneOverNorAlerted) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "a");
    setRaw(file, "user.b", "old");
    InspectorView& view = open(file);
    EXPECT_TRUE(view.ui().reloadStatusLabel->isHidden());
    select(view, {u"user.a"_s});
    view.ui().removeXattrButton->click();
    setRaw(file, "user.a", "written since");
    view.undo();
    EXPECT_TRUE(alert.shown().value(0).startsWith(u"Can't undo Remove: "_s));
    EXPECT_EQ(getRaw(file, "user.a"), "written since");
    setRaw(file, "user.a", "a"); // the old value back: still a change made since
    view.undo();
    EXPECT_EQ(alert.shown().size(), 2);
    EXPECT_EQ(getRaw(file, "user.a"), "a");
    ::removexattr(QFile::encodeName(file).constData(), "user.a");
    view.undo();
    EXPECT_EQ(getRaw(file, "user.a"), "a");
    EXPECT_FALSE(view.undoStack().canUndo());
    alert.clear();

    select(view, {u"user.b"_s});
    setRaw(file, "user.b", "changed elsewhere");
    setRaw(file, "user.c", "added elsewhere");
    EXPECT_TRUE(QTest::qWaitFor([&] { return namesShown(view).contains(u"user.c"_s); }, 10'000));
    EXPECT_EQ(described(view),
              (QStringList{u"user.b"_s,
                           ResourceList::ofPath(file).displayTexts().at(rowOf(view, u"user.b"_s)),
                           u"Edit"_s, u"+++++"_s}));

    // The selected name vanishes: nothing stays that describes it.
    ::removexattr(QFile::encodeName(file).constData(), "user.b");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !namesShown(view).contains(u"user.b"_s); }, 10'000));
    EXPECT_EQ(described(view), (QStringList{{}, {}, u"New"_s, u"++--+"_s}));

    QFile::remove(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.ui().reloadStatusLabel->isHidden(); }, 10'000));
    EXPECT_TRUE(view.ui().reloadStatusLabel->text().contains(file));
    EXPECT_TRUE(alert.shown().isEmpty());
    // Asked for, the same failure is an alert, and the status line no longer holds it.
    makeFile(u"f"_s);
    view.reload();
    EXPECT_TRUE(view.ui().reloadStatusLabel->isHidden());
    EXPECT_TRUE(alert.shown().isEmpty());
    QFile::remove(file);
    view.reload();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().constFirst().contains(file));
}

// A long value's hex wraps in the pane between its groups of four bytes, while the text, and so the
// report, keeps it on one line. A value that cannot be read keeps its row, with the reason in the
// pane; it cannot be edited or copied, but it can be removed.
TEST_F(InspectorViewTest, LongHexWrapsInTheViewAndUnreadableValuesKeepTheirRow) {
    const AsAnotherUser other;
    const QString file = other.filePath(u"f"_s);
    QFile(file).open(QIODevice::WriteOnly);
    setRaw(file, "user.long", QByteArray(3'000, '\xff')); // all that ext4 keeps beside others
    setRaw(file, "user.locked", "secret");
    InspectorView& view = open(file);
    view.window()->resize(800, 600);
    view.window()->show();
    select(view, {u"user.long"_s});
    QPlainTextEdit* pane = view.ui().outputTextcontent;
    EXPECT_EQ(pane->toPlainText(),
              ResourceList::ofPath(file).displayTexts().at(rowOf(view, u"user.long"_s)));
    const QTextBlock hex = pane->document()->findBlockByNumber(2); // after the header and a gap
    ASSERT_TRUE(hex.text().startsWith(u"<ffffffff ffffffff"_s));
    pane->document()->documentLayout()->blockBoundingRect(hex); // lays the block out
    ASSERT_GT(hex.layout()->lineCount(), 1);
    for (int line = 1; line < hex.layout()->lineCount(); ++line)
        EXPECT_EQ(hex.text().at(hex.layout()->lineAt(line).textStart() - 1), u' ') << line;

    ASSERT_TRUE(QFile::setPermissions(file, QFile::WriteOwner | QFile::WriteOther));
    AsAnotherUser::run([&view] { view.reload(); });
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_EQ(alert.shown().constFirst().count(u"getxattr error: Permission denied"_s), 2);
    QStringList listed;
    for (const QByteArray& name : listRaw(QFile::encodeName(file)))
        listed.append(QString::fromUtf8(name));
    EXPECT_EQ(namesShown(view), listed); // in the system's order, as every row
    EXPECT_EQ(view.ui().xattrTable->model()->index(rowOf(view, u"user.locked"_s), 1).data(),
              u"cannot be read"_s);
    select(view, {u"user.locked"_s});
    const QString reason = u"getxattr error: Permission denied (attribute \u201cuser.locked\u201d "
                           "of \u201c"_s +
                           file + u"\u201d)"_s;
    EXPECT_EQ(described(view), (QStringList{u"user.locked"_s, reason, u"Edit"_s, u"++++-"_s}));
    EXPECT_FALSE(view.canEditSelected());
    pasteboard.writeRecords({ResourceItem(u"user.kept"_s, "k").archive()});
    view.ui().copyXattrButton->click();
    EXPECT_EQ(pasteboard.items().size(), 1);
    view.ui().removeXattrButton->click();
    EXPECT_EQ(listRaw(QFile::encodeName(file)), QList<QByteArray>{"user.long"});
}

// A name, a path and a value written to look like markup or to steer a terminal: every widget
// that shows them shows their text, escapes included, never rendered or obeyed.
TEST_F(InspectorViewTest, NamesPathsAndValuesShowAsPlainText) {
    const QString file = makeFile(u"<b>dir</b>\u001b/f\u0007<i>"_s);
    setRaw(file, "user.<img src=x>\x1b", "<b>v</b>\x07 value");
    InspectorView& view = open(file);
    const QString name = u"user.<img src=x>\\x1b"_s;
    EXPECT_EQ(namesShown(view), QStringList{name});
    EXPECT_EQ(view.window()->windowTitle(), u"f\\x07<i>"_s);
    EXPECT_EQ(view.ui().filenameTextbox->text(), pathOf(u"<b>dir</b>\\x1b/f\\x07<i>"_s));
    // Qt takes a tooltip that looks like markup for rich text: the name's is markup that shows
    // the name.
    QTextDocument toolTip;
    toolTip.setHtml(view.ui().xattrTable->model()->index(0, 0).data(Qt::ToolTipRole).toString());
    EXPECT_EQ(toolTip.toPlainText(), name);
    view.ui().xattrTable->selectRow(0);
    EXPECT_EQ(described(view).mid(0, 2),
              (QStringList{name, name + u" (15 bytes):\n\n<3c623e76 3c2f623e 07207661 6c7565>\n\n"
                                        u"String content:\n\n<b>v</b>\\x07 value\n"_s}));
    for (const QLabel* label : {view.ui().sizeSummaryLabel, view.ui().reloadStatusLabel})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}
