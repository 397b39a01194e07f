#include "inspector/ViewController.h"

#include "editor/EditViewController.h"
#include "model/ByteText.h"
#include "model/ResourceList.h"
#include "model/XattrAccess.h"
#include "support/InspectorFixture.h"
#include "ui_EditViewController.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class ViewControllerTest : public InspectorFixture {
protected:
    static QString summaryOf(qint64 attributes, const QString& path) {
        struct stat status = {};
        ::stat(QFile::encodeName(path).constData(), &status);
        return u"Xattr %1, data %2, total %3"_s.arg(attributes)
            .arg(status.st_size)
            .arg(attributes + status.st_size);
    }

    static QList<bool> commandButtonsEnabled(const ViewController& view) {
        QList<bool> enabled;
        for (const QPushButton* button :
             {view.ui().addQuarButton, view.ui().pasteXattrButton, view.ui().removeXattrButton,
              view.ui().copyXattrButton, view.ui().newXattrButton})
            enabled.append(button->isEnabled());
        return enabled;
    }

    QString makeThreeAttributeFile(const QString& name) {
        const QString file = makeFile(name, "0123456789");
        setRaw(file, "user.first", "first value");
        setRaw(file, "user.second", "");
        setRaw(file, "user.third", QByteArray("\xff\x01", 2));
        return file;
    }
};

} // namespace

// Without a file, or without a selection, the commands have nothing to act on.
TEST_F(ViewControllerTest, WindowWithoutAFileOrSelectionOffersNoCommand) {
    ViewController& empty = open({});
    EXPECT_EQ(empty.window()->windowTitle(), u"palvorn"_s);
    EXPECT_EQ(commandButtonsEnabled(empty), QList<bool>(5, false));
    EXPECT_EQ(empty.savedReportText(), u"\n\n**********\n"_s);
    pasteboard.writeRecords({ResourceItem(u"user.a"_s, "x").archive()});
    EXPECT_FALSE(empty.pasteAttributes(pasteboard));
    empty.cutSelectedAttributes();
    empty.addQuarantine();
    EXPECT_EQ(pasteboard.items().size(), 1); // nothing selected: the pasteboard keeps its item

    const QString file = makeFile(u"plain.txt"_s, "twelve bytes");
    ViewController& view = open(file);
    EXPECT_EQ(view.savedReportText(), file + u"\n\n**********\n"_s);
    setRaw(file, "user.a", "a");
    view.reload();
    view.copySelectedAttributes(pasteboard);
    view.cutSelectedAttributes();
    EXPECT_TRUE(hasRaw(file, "user.a"));
    EXPECT_TRUE(alert.shown().isEmpty());
}

TEST_F(ViewControllerTest, SelectionDecidesWhatIsShownAndReported) {
    const QString file = makeThreeAttributeFile(u"three"_s);
    ViewController& view = open(file);
    const QStringList texts = ResourceList::ofPath(file).displayTexts();
    const QStringList names = namesShown(view);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(view.ui().xattrTable->model()->index(2, 1).data().toString(),
              u"%1 bytes"_s.arg(getRaw(file, names.at(2).toUtf8()).size()));
    EXPECT_EQ(view.ui().quarantTextbox->text(), summaryOf(13, file));
    EXPECT_EQ(view.reportText(), texts.join(u"\n**********\n"_s));

    view.ui().xattrTable->selectRow(1);
    EXPECT_EQ(view.ui().xattrTextbox->text(), names.at(1));
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), texts.at(1));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"Edit"_s);
    EXPECT_EQ(commandButtonsEnabled(view), QList<bool>(5, true));
    EXPECT_EQ(view.savedReportText(), file + u"\n\n**********\n"_s + texts.at(1));

    // Two rows: the pane shows the current one, and the report is that pane only.
    QItemSelectionModel* selection = view.ui().xattrTable->selectionModel();
    selection->setCurrentIndex(view.ui().xattrTable->model()->index(2, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), texts.at(2));
    EXPECT_EQ(view.reportText(), texts.at(2));

    selection->clearSelection();
    EXPECT_EQ(view.ui().xattrTextbox->text(), QString());
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), QString());
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);
    EXPECT_EQ(commandButtonsEnabled(view), (QList<bool>{true, true, false, false, true}));
    EXPECT_EQ(view.reportText(), texts.join(u"\n**********\n"_s));
}

TEST_F(ViewControllerTest, InspectingAnotherFileReplacesEverything) {
    const QString first = makeThreeAttributeFile(u"first"_s);
    const QString folder = makeFolder(u"a folder"_s);
    setRaw(folder, "user.folder-note", "on the folder");
    ViewController& view = open(first);
    view.ui().xattrTable->selectRow(0);
    view.editRes().append(std::make_shared<ResourceItem>(u"user.pending"_s, "x"));

    openPanel.answerWith({QUrl::fromLocalFile(folder)});
    view.ui().inspectButton->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(openPanel.requests().front().asSheet);
    EXPECT_TRUE(options.canChooseDirectories && options.showsHiddenFiles &&
                options.treatsPackagesAsDirectories && !options.allowsMultipleSelection);
    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);
    EXPECT_EQ(view.window()->windowTitle(), u"a folder"_s);
    EXPECT_EQ(view.document()->displayName(), u"a folder_MD.text"_s);
    EXPECT_EQ(view.document()->fileUrl(), QUrl::fromLocalFile(first)); // the document stays
    EXPECT_TRUE(view.editRes().isEmpty());
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), QString());
    EXPECT_EQ(namesShown(view), QStringList{u"user.folder-note"_s});
    EXPECT_EQ(view.ui().quarantTextbox->text(), summaryOf(13, folder));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);

    openPanel.answerWith({}); // a cancelled panel changes nothing
    view.ui().inspectButton->click();
    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);

    // A failed listing is shown once, and the window still shows the path.
    const QString missing = pathOf(u"gone"_s);
    openPanel.answerWith({QUrl::fromLocalFile(missing)});
    view.ui().inspectButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                         missing + u"\u201d)"_s});
    EXPECT_EQ(view.ui().filenameTextbox->text(), missing);
    EXPECT_EQ(view.ui().quarantTextbox->text(), u"Xattr 0, data 0, total 0"_s);
}

// What is saved is what palvorn-cli show prints; never over the inspected file.
TEST_F(ViewControllerTest, SavingTheReport) {
    const QString file = makeThreeAttributeFile(u"notes.txt"_s);
    ViewController& view = open(file);
    const QString target = pathOf(u"report.text"_s);

    savePanel.answerWith(std::nullopt);
    view.ui().saveButton->click();
    EXPECT_EQ(savePanel.requests().front().nameFieldStringValue, u"notes.txt_MD.text"_s);
    EXPECT_EQ(savePanel.requests().front().allowedFileTypes, (QStringList{u"text"_s, u"txt"_s}));
    EXPECT_TRUE(savePanel.requests().front().canCreateDirectories);
    EXPECT_FALSE(QFile::exists(target));

    savePanel.answerWith(QUrl::fromLocalFile(target));
    view.ui().saveButton->click();
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes, view.document()->dataOfType());
    QProcess cli;
    cli.start(QStringLiteral(PALVORN_CLI_PATH), {u"show"_s, file});
    ASSERT_TRUE(cli.waitForFinished());
    EXPECT_EQ(cli.readAllStandardOutput(), bytes);
    EXPECT_TRUE(alert.shown().isEmpty());

    savePanel.answerWith(QUrl::fromLocalFile(file));
    view.ui().saveButton->click();
    EXPECT_EQ(getRaw(file, "user.first"), "first value");
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().front().contains(u"is the inspected file itself"_s));
}

// Paste reloads the list whenever the pasteboard holds something, and only then.
TEST_F(ViewControllerTest, CopiedRowsArePastedIntoAnotherFileInTableOrder) {
    const QString source = makeThreeAttributeFile(u"source"_s);
    const QString target = makeFile(u"target"_s);
    ViewController& from = open(source);
    ViewController& to = open(target);
    setRaw(target, "user.added-behind", "x"); // shows up only if the list is reloaded
    pasteboard.clear();
    EXPECT_FALSE(to.pasteAttributes(pasteboard));
    EXPECT_EQ(namesShown(to), QStringList());
    pasteboard.holdText();
    EXPECT_TRUE(to.pasteAttributes(pasteboard));
    EXPECT_EQ(namesShown(to), QStringList{u"user.added-behind"_s});

    selectRows(from, {2, 0, 1});
    from.ui().copyXattrButton->click();
    ASSERT_EQ(pasteboard.items().size(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(ResourceItem::fromArchive(*pasteboard.items().at(row))->name(),
                  namesShown(from).at(row));
    to.ui().pasteXattrButton->click();
    for (const QString& name : namesShown(from))
        EXPECT_EQ(getRaw(target, name.toUtf8()), getRaw(source, name.toUtf8()))
            << name.toStdString();
    EXPECT_EQ(namesShown(to).size(), 4);
    EXPECT_TRUE(alert.shown().isEmpty());
}

// One selected attribute vanished behind the window's back: the rest is removed, one alert
// names each failure with its file, and the pasteboard holds every selected row.
TEST_F(ViewControllerTest, RemovingGoesOnPastFailuresInOneAlertAndKeepsAllOnThePasteboard) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    const QStringList names = namesShown(view);
    for (int row : {0, 1})
        ::removexattr(QFile::encodeName(file).constData(), names.at(row).toUtf8().constData());
    selectRows(view, {0, 1, 2});
    view.ui().removeXattrButton->click();
    EXPECT_EQ(alert.shown(),
              QStringList{u"removexattr error: No data available (attribute \u201c"_s +
                          names.at(0) + u"\u201d of \u201c"_s + file +
                          u"\u201d)\nremovexattr error: No data available (attribute \u201c"_s +
                          names.at(1) + u"\u201d of \u201c"_s + file + u"\u201d)"_s});
    EXPECT_FALSE(hasRaw(file, names.at(2).toUtf8()));
    EXPECT_EQ(namesShown(view), QStringList());
    EXPECT_EQ(pasteboard.items().size(), 3);

    // Paste brings back what was cut, with its bytes.
    pasteboard.writeRecords({pasteboard.items().at(2).value()});
    view.ui().pasteXattrButton->click();
    EXPECT_EQ(getRaw(file, names.at(2).toUtf8()),
              getRaw(makeThreeAttributeFile(u"again"_s), names.at(2).toUtf8()));
    EXPECT_EQ(namesShown(view), QStringList{names.at(2)});
}

// The stamp is listed and counted even when its event row cannot be recorded, which is said.
TEST_F(ViewControllerTest, QuarantineStampsTheFileEvenWithoutADatabase) {
    QTemporaryDir home; // no database below it
    const QString file = makeFile(u"f"_s, "12345");
    ViewController& view = open(file);
    view.quarantine().homePath = home.path();
    view.ui().addQuarButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().constFirst().endsWith(
        u"does not exist, so no event was recorded for \u201c"_s + file + u"\u201d."_s));
    EXPECT_TRUE(getRaw(file, "user.com.apple.quarantine").startsWith("0083;"));
    EXPECT_EQ(namesShown(view), QStringList{u"user.com.apple.quarantine"_s});
    EXPECT_EQ(view.ui().quarantTextbox->text(), u"Xattr 62, data 5, total 67"_s);
}

TEST_F(ViewControllerTest, FlagsAreAddedToAndStrippedFromTheSelectedNames) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "value a");
    setRaw(file, "user.b#X", "value b");
    setRaw(file, "user.other", "o");
    ViewController& view = open(file);

    view.ui().flagTextbox->clear();
    selectRows(view, {rowOf(view, u"user.a"_s), rowOf(view, u"user.b#X"_s)});
    view.ui().addFlagButton->click(); // no flag text: nothing happens
    EXPECT_TRUE(hasRaw(file, "user.a"));

    view.ui().flagTextbox->setText(u"S"_s);
    view.ui().addFlagButton->click();
    EXPECT_EQ(getRaw(file, "user.a#S"), "value a");
    EXPECT_EQ(getRaw(file, "user.b#X#S"), "value b");

    // One selected name vanished behind the window's back: one alert names it; the rest goes on.
    selectRows(view, {rowOf(view, u"user.a#S"_s), rowOf(view, u"user.b#X#S"_s),
                      rowOf(view, u"user.other"_s)});
    ::removexattr(QFile::encodeName(file).constData(), "user.a#S");
    view.ui().stripFlagButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().front().contains(u"\u201cuser.a#S\u201d of \u201c"_s + file));
    EXPECT_EQ(getRaw(file, "user.b"), "value b");
    QStringList names = namesShown(view);
    names.sort();
    EXPECT_EQ(names, (QStringList{u"user.b"_s, u"user.other"_s}));
}

// Another program's write reaches the window by itself; the selected name stays selected and
// every control describes it.
TEST_F(ViewControllerTest, OutsideChangesReloadTheWindowKeepingTheSelection) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "a");
    setRaw(file, "user.b", "old");
    ViewController& view = open(file);
    view.ui().xattrTable->selectRow(rowOf(view, u"user.b"_s));

    setRaw(file, "user.b", "changed elsewhere");
    setRaw(file, "user.c", "added elsewhere");
    EXPECT_TRUE(QTest::qWaitFor([&] { return namesShown(view).contains(u"user.c"_s); }, 10'000));
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.b"_s);
    EXPECT_TRUE(view.ui().outputTextcontent->toPlainText().contains(u"changed elsewhere"_s));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"Edit"_s);

    // The selected name vanishes: nothing stays that describes it.
    ::removexattr(QFile::encodeName(file).constData(), "user.b");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !namesShown(view).contains(u"user.b"_s); }, 10'000));
    EXPECT_EQ(view.ui().xattrTextbox->text(), QString());
    EXPECT_FALSE(view.ui().removeXattrButton->isEnabled());
    EXPECT_TRUE(alert.shown().isEmpty());
}

// A reload the user did not ask for never opens an alert: what it could not read is in the
// window's status line, until a reload reads the file again.
TEST_F(ViewControllerTest, AnAutomaticReloadShowsItsFailuresInTheStatusLine) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "a");
    ViewController& view = open(file);
    EXPECT_TRUE(view.ui().reloadStatusLabel->isHidden());

    QFile::remove(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.ui().reloadStatusLabel->isHidden(); }, 10'000));
    EXPECT_TRUE(view.ui().reloadStatusLabel->text().contains(file));
    EXPECT_TRUE(alert.shown().isEmpty());

    // Asked for, the same failure is an alert, and the status line no longer holds it.
    QFile created(file);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();
    view.reload();
    EXPECT_TRUE(view.ui().reloadStatusLabel->isHidden());
    EXPECT_TRUE(alert.shown().isEmpty());
    QFile::remove(file);
    view.reload();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().constFirst().contains(file));
}

// The keys and the menu's commands reach the inspector of their window, and are offered only
// where they can act: Delete is a text field's own key while it has the focus.
TEST_F(ViewControllerTest, EditAndViewCommandsActOnTheirWindowWhereTheyCan) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    QAction* cut = menuItem(view, u"Cu&t"_s);
    QAction* copy = menuItem(view, u"&Copy"_s);
    QAction* remove = menuItem(view, u"&Delete"_s);
    view.ui().xattrTable->setFocus();
    EXPECT_EQ(
        (QList<bool>{cut->isEnabled(), copy->isEnabled(), remove->isEnabled(),
                     view.ui().addFlagButton->isEnabled(), view.ui().stripFlagButton->isEnabled()}),
        QList<bool>(5, false));
    setRaw(file, "user.fourth", "4");
    QTest::keyClick(view.ui().xattrTable, Qt::Key_F5);
    EXPECT_EQ(namesShown(view).size(), 4);
    QTest::keySequence(view.ui().xattrTable, QKeySequence::SelectAll);
    EXPECT_EQ(view.selectedRowIndexes().size(), 4);

    selectRows(view, {rowOf(view, u"user.fourth"_s)});
    EXPECT_TRUE(cut->isEnabled() && copy->isEnabled() && remove->isEnabled());
    EXPECT_TRUE(view.ui().stripFlagButton->isEnabled());
    EXPECT_FALSE(view.ui().addFlagButton->isEnabled()); // no flag text yet
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
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);
    menuItem(view, u"&Undo Remove"_s)->trigger();
    EXPECT_EQ(getRaw(file, "user.fourth"), "4");
    EXPECT_FALSE(menuItem(view, u"&Undo"_s)->isEnabled());
    menuItem(view, u"&Redo Remove"_s)->trigger();
    EXPECT_FALSE(hasRaw(file, "user.fourth"));

    // Tab leaves the table for the name box, then the command buttons.
    selectRows(view, {0});
    view.ui().xattrTable->setFocus();
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().xattrTextbox->hasFocus());
    QTest::keyClick(view.ui().xattrTextbox, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().newXattrButton->hasFocus());

    // The keyboard is back in the table when the editor closes, ready for Undo.
    view.ui().newXattrButton->click();
    view.editor()->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.ui().xattrTable->hasFocus(); }));
}

// After the editor's save the saved attribute is the one selected and described.
TEST_F(ViewControllerTest, ControlsDescribeTheSavedAttribute) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    view.ui().xattrTable->selectRow(rowOf(view, u"user.first"_s));
    view.ui().newXattrButton->click();
    view.editor()->ui().nameTextbox->setText(u"user.renamed"_s);
    view.editor()->ui().saveButton->click();
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.renamed"_s);
    EXPECT_EQ(view.ui().newXattrButton->text(), u"Edit"_s);
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{rowOf(view, u"user.renamed"_s)});
    EXPECT_TRUE(view.ui().removeXattrButton->isEnabled());
}

// Paths from the command line are bytes: one that is not UTF-8 still reaches its file.
TEST_F(ViewControllerTest, APathThatIsNotUtf8OpensItsFile) {
    const QByteArray bytes = QFile::encodeName(pathOf(u"bad"_s)) + "\xfepath";
    const int fd = ::open(bytes.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::setxattr(bytes.constData(), "user.a", "value", 5, 0), 0);
    delegate.openDocuments({ByteText::decode(bytes)});
    const ViewController& view = delegate.documents().constLast()->window()->viewController();
    EXPECT_EQ(namesShown(view), QStringList{u"user.a"_s});
    EXPECT_TRUE(alert.shown().isEmpty());
    EXPECT_EQ(ByteText::encode(view.ui().filenameTextbox->text()), bytes);
}

TEST_F(ViewControllerTest, DroppedFilesAreInspectedHereAndInWindowsOfTheirOwn) {
    const QString first = makeThreeAttributeFile(u"first"_s);
    const QString second = makeFolder(u"second"_s);
    ViewController& view = open({});
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(first), QUrl(u"https://example.com/x"_s),
                  QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &drop);
    EXPECT_TRUE(drop.isAccepted());

    EXPECT_EQ(view.ui().filenameTextbox->text(), first);
    EXPECT_EQ(namesShown(view).size(), 3);
    ASSERT_EQ(delegate.documents().size(), 2);
    EXPECT_EQ(delegate.documents().at(1)->fileUrl(), QUrl::fromLocalFile(second));

    QMimeData text;
    text.setText(u"not a file"_s);
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

// Sorting changes what the table shows, never the order of the system's list: commands and the
// report still name the attributes the user picked.
TEST_F(ViewControllerTest, SortedColumnsKeepTheSystemOrderElsewhere) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.mid", "12345");
    setRaw(file, "user.big", "1234567890");
    setRaw(file, "user.small", "1");
    ViewController& view = open(file);
    const QStringList system = namesShown(view);
    const QString report = view.reportText();

    view.ui().xattrTable->sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(namesShown(view), (QStringList{u"user.big"_s, u"user.mid"_s, u"user.small"_s}));
    EXPECT_EQ(view.reportText(), report);
    view.ui().xattrTable->selectRow(2);
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.small"_s);
    view.ui().removeXattrButton->click();
    EXPECT_FALSE(hasRaw(file, "user.small"));
    EXPECT_TRUE(hasRaw(file, "user.mid"));

    view.ui().xattrTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    QStringList remaining = system;
    remaining.removeAll(u"user.small"_s);
    EXPECT_EQ(namesShown(view), remaining);
}

TEST_F(ViewControllerTest, TheSplitterKeepsItsPlaceForTheNextWindow) {
    ViewController& first = open({});
    first.window()->resize(900, 650);
    first.window()->show();
    QSplitterHandle* handle = first.ui().splitter->handle(1);
    const QList<int> start = first.ui().splitter->sizes();
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(0, 60));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, 60));
    const QList<int> moved = first.ui().splitter->sizes();
    ASSERT_NE(moved, start);

    ViewController& second = open({});
    second.window()->resize(900, 650);
    second.window()->show();
    EXPECT_EQ(second.ui().splitter->sizes(), moved);
}

TEST_F(ViewControllerTest, ExportAttributesSavesTheFileAsADumpWithBase64Values) {
    const QString file = makeFile(u"exported"_s);
    setRaw(file, "user.b", QByteArray("\0\n\"", 3));
    setRaw(file, "user.a", "");
    ViewController& view = open(file);
    const QString dump = pathOf(u"exported.dump"_s);
    savePanel.answerWith(QUrl::fromLocalFile(dump));
    menuItem(view, u"&Export Attributes…"_s)->trigger();
    EXPECT_EQ(savePanel.requests().front().nameFieldStringValue, u"exported.dump"_s);
    QFile written(dump);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(),
              "# file: " + QFile::encodeName(file) + "\nuser.a=0s\nuser.b=0sAAoi\n\n");
    EXPECT_EQ(alert.shown(), QStringList());
}
