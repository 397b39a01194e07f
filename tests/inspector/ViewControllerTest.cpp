#include "inspector/ViewController.h"

#include "editor/EditViewController.h"
#include "model/ByteText.h"
#include "model/ResourceList.h"
#include "model/XattrAccess.h"
#include "support/InspectorFixture.h"
#include "support/QuarantineDatabase.h"
#include "ui_EditViewController.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTest>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class ViewControllerTest : public InspectorFixture {
protected:
    static QStringList displayTextsOf(const QString& path) {
        RecordingErrorAlert quiet;
        return ResourceList(QUrl::fromLocalFile(path), quiet).displayTexts();
    }

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

TEST_F(ViewControllerTest, WindowWithoutAFileIsEmptyAndItsCommandsDisabled) {
    ViewController& view = open({});
    EXPECT_EQ(view.window()->windowTitle(), u"palvorn"_s);
    EXPECT_EQ(commandButtonsEnabled(view), QList<bool>(5, false));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);
    EXPECT_EQ(view.ui().xattrTable->model()->rowCount(), 0);
    EXPECT_EQ(view.savedReportText(), u"\n\n**********\n"_s);
    EXPECT_TRUE(view.ui().saveButton->isEnabled());
    EXPECT_TRUE(view.ui().inspectButton->isEnabled());
}

TEST_F(ViewControllerTest, FileWithoutAttributes) {
    const QString file = makeFile(u"plain.txt"_s, "twelve bytes");
    ViewController& view = open(file);
    EXPECT_EQ(view.window()->windowTitle(), u"plain.txt"_s);
    EXPECT_EQ(view.ui().filenameTextbox->text(), file);
    EXPECT_EQ(view.ui().quarantTextbox->text(), u"Xattr 0, data 12, total 12"_s);
    EXPECT_EQ(view.ui().xattrTable->model()->rowCount(), 0);
    EXPECT_EQ(view.reportText(), QString());
    EXPECT_EQ(view.savedReportText(), file + u"\n\n**********\n"_s);
    EXPECT_EQ(commandButtonsEnabled(view), (QList<bool>{true, true, false, false, true}));
    EXPECT_EQ(view.document()->displayName(), u"plain.txt_MD.text"_s);
    EXPECT_TRUE(alert.shown().isEmpty());
}

TEST_F(ViewControllerTest, SelectionDecidesWhatIsShownAndReported) {
    const QString file = makeThreeAttributeFile(u"three"_s);
    ViewController& view = open(file);
    const QStringList texts = displayTextsOf(file);
    QStringList names;
    for (const QByteArray& name : listXattrs(nativePath(file)))
        names.append(QString::fromUtf8(name));
    ASSERT_EQ(view.ui().xattrTable->model()->rowCount(), 3);
    EXPECT_EQ(view.ui().xattrTable->model()->index(2, 0).data().toString(), names.at(2));
    EXPECT_EQ(view.ui().xattrTable->model()->index(2, 1).data().toString(),
              u"%1 bytes"_s.arg(getRaw(file, names.at(2).toUtf8()).size()));
    EXPECT_EQ(view.ui().quarantTextbox->text(), summaryOf(13, file));
    EXPECT_EQ(view.reportText(), texts.join(u"\n**********\n"_s));
    EXPECT_EQ(view.reportText().count(u"\n**********\n"_s), 2);

    view.ui().xattrTable->selectRow(1);
    EXPECT_EQ(view.ui().xattrTextbox->text(), names.at(1));
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), texts.at(1));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"Edit"_s);
    EXPECT_TRUE(view.ui().removeXattrButton->isEnabled());
    EXPECT_TRUE(view.ui().copyXattrButton->isEnabled());
    EXPECT_EQ(view.savedReportText(), file + u"\n\n**********\n"_s + texts.at(1));

    // Two rows: the pane shows the current one, and the report is that pane only.
    QItemSelectionModel* selection = view.ui().xattrTable->selectionModel();
    selection->setCurrentIndex(view.ui().xattrTable->model()->index(2, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(selection->selectedRows().size(), 2);
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), texts.at(2));
    EXPECT_EQ(view.reportText(), texts.at(2));

    selection->clearSelection();
    EXPECT_EQ(view.ui().xattrTextbox->text(), QString());
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), QString());
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);
    EXPECT_FALSE(view.ui().removeXattrButton->isEnabled());
    EXPECT_FALSE(view.ui().copyXattrButton->isEnabled());
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
    ASSERT_EQ(openPanel.requests().size(), 1);
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(openPanel.requests().front().asSheet);
    EXPECT_TRUE(options.canChooseDirectories && options.showsHiddenFiles &&
                options.treatsPackagesAsDirectories && !options.allowsMultipleSelection);

    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);
    EXPECT_EQ(view.window()->windowTitle(), u"a folder"_s);
    EXPECT_EQ(view.document()->displayName(), u"a folder_MD.text"_s);
    EXPECT_EQ(view.document()->fileUrl(), QUrl::fromLocalFile(first));
    EXPECT_TRUE(view.editRes().isEmpty());
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), QString());
    EXPECT_EQ(view.ui().xattrTable->model()->rowCount(), 1);
    EXPECT_EQ(view.ui().quarantTextbox->text(), summaryOf(13, folder));
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);

    // A cancelled panel changes nothing.
    openPanel.answerWith({});
    view.ui().inspectButton->click();
    EXPECT_EQ(view.ui().filenameTextbox->text(), folder);
}

TEST_F(ViewControllerTest, FailedListingIsShownOnceAndTheWindowStillShowsThePath) {
    const QString missing = pathOf(u"gone"_s);
    ViewController& view = open(missing);
    EXPECT_EQ(alert.shown(), QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                         missing + u"\u201d)"_s});
    EXPECT_EQ(view.ui().filenameTextbox->text(), missing);
    EXPECT_EQ(view.ui().quarantTextbox->text(), u"Xattr 0, data 0, total 0"_s);
}

// Reading a user value needs read permission, listing it does not: as another user, the
// unreadable values come in one alert and the window lists the rest.
TEST_F(ViewControllerTest, UnreadableValuesComeInOneAlert) {
    QTemporaryDir shared(u"/tmp/palvorn-test-XXXXXX"_s);
    ASSERT_TRUE(shared.isValid());
    ::chmod(QFile::encodeName(shared.path()).constData(), 0755);
    const QString file = shared.filePath(u"write-only"_s);
    QFile(file).open(QIODevice::WriteOnly);
    setRaw(file, "user.one", "1");
    setRaw(file, "user.two", "22");
    if (::geteuid() == 0)
        setRaw(file, "security.palvorn-test", "333");
    ::chmod(QFile::encodeName(file).constData(), 0222);

    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            RecordingErrorAlert childAlert;
            RecordingOpenPanel childOpen;
            RecordingSavePanel childSave;
            RecordingPasteboard childPasteboard;
            RecordingUpdateAlert childUpdateAlert;
            RecordingWorkspace childWorkspace;
            DocumentWindow window(Platform{childAlert, childOpen, childSave, childPasteboard,
                                           childUpdateAlert, childWorkspace});
            window.viewController().inspectFile(QUrl::fromLocalFile(file));
            const QStringList lines = childAlert.shown().value(0).split(u'\n');
            const bool alerts = childAlert.shown().size() == 1 && lines.size() == 2 &&
                                lines.constLast().startsWith(
                                    u"getxattr error: Permission denied (attribute \u201cuser."_s);
            const int rows = window.viewController().ui().xattrTable->model()->rowCount();
            ::_exit(alerts && rows == (::geteuid() == 65534 ? 1 : 0) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ViewControllerTest, SavingTheReport) {
    const QString file = makeThreeAttributeFile(u"notes.txt"_s);
    ViewController& view = open(file);
    const QString target = pathOf(u"report.text"_s);

    savePanel.answerWith(std::nullopt);
    view.ui().saveButton->click();
    ASSERT_EQ(savePanel.requests().size(), 1);
    EXPECT_EQ(savePanel.requests().front().nameFieldStringValue, u"notes.txt_MD.text"_s);
    EXPECT_EQ(savePanel.requests().front().allowedFileTypes, (QStringList{u"text"_s, u"txt"_s}));
    EXPECT_TRUE(savePanel.requests().front().canCreateDirectories);
    EXPECT_FALSE(QFile::exists(target));

    makeFile(u"report.text"_s, QByteArray(5000, 'o')); // replaced, not merged
    savePanel.answerWith(QUrl::fromLocalFile(target));
    view.ui().saveButton->click();
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes, view.savedReportText().toUtf8());
    EXPECT_EQ(bytes, view.document()->dataOfType());
    EXPECT_TRUE(alert.shown().isEmpty());

    // The same bytes palvorn-cli show prints.
    QProcess cli;
    cli.start(QStringLiteral(PALVORN_CLI_PATH), {u"show"_s, file});
    ASSERT_TRUE(cli.waitForFinished());
    EXPECT_EQ(cli.readAllStandardOutput(), bytes);
}

TEST_F(ViewControllerTest, AReportIsNeverWrittenOverTheInspectedFile) {
    const QString file = makeThreeAttributeFile(u"precious.txt"_s);
    const QString link = pathOf(u"link-to-precious"_s);
    ASSERT_TRUE(QFile::link(file, link));
    ViewController& view = open(file);

    for (const QString& target : {file, link}) {
        savePanel.answerWith(QUrl::fromLocalFile(target));
        view.ui().saveButton->click();
    }
    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), "0123456789");
    EXPECT_EQ(getRaw(file, "user.first"), "first value");
    ASSERT_EQ(alert.shown().size(), 2);
    EXPECT_TRUE(alert.shown().front().contains(u"is the inspected file itself"_s));

    alert.clear();
    savePanel.answerWith(QUrl::fromLocalFile(pathOf(u"no such folder/report.text"_s)));
    view.ui().saveButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().front().contains(u"No such file or directory"_s));
}

TEST_F(ViewControllerTest, CopiedRowsArePastedIntoAnotherFileInTableOrder) {
    const QString source = makeThreeAttributeFile(u"source"_s);
    const QString target = makeFile(u"target"_s);
    ViewController& from = open(source);
    ViewController& to = open(target);

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
    EXPECT_EQ(to.ui().xattrTable->model()->rowCount(), 3);
    EXPECT_TRUE(alert.shown().isEmpty());
}

TEST_F(ViewControllerTest, RemovingGoesOnPastAFailureAndKeepsBothOnThePasteboard) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    const QStringList names = namesShown(view);
    // The first selected attribute vanishes behind the window's back.
    ::removexattr(QFile::encodeName(file).constData(), names.at(0).toUtf8().constData());
    selectRows(view, {0, 2});
    view.ui().removeXattrButton->click();

    EXPECT_EQ(alert.shown(),
              QStringList{u"removexattr error: No data available (attribute \u201c"_s +
                          names.at(0) + u"\u201d of \u201c"_s + file + u"\u201d)"_s});
    EXPECT_FALSE(hasRaw(file, names.at(2).toUtf8()));
    EXPECT_EQ(namesShown(view), QStringList{names.at(1)});
    EXPECT_EQ(pasteboard.items().size(), 2);

    // Paste brings back what was cut, with its bytes.
    pasteboard.writeRecords({pasteboard.items().at(1).value()});
    view.ui().pasteXattrButton->click();
    EXPECT_EQ(getRaw(file, names.at(2).toUtf8()),
              getRaw(makeThreeAttributeFile(u"again"_s), names.at(2).toUtf8()));
}

TEST_F(ViewControllerTest, SeveralFailuresOfOneCommandShowOneAlert) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    const QStringList names = namesShown(view);
    for (int row : {0, 1})
        ::removexattr(QFile::encodeName(file).constData(), names.at(row).toUtf8().constData());
    selectRows(view, {0, 1, 2});
    view.ui().removeXattrButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    const QStringList lines = alert.shown().front().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    for (int row : {0, 1})
        EXPECT_TRUE(lines.at(row).endsWith(u"(attribute \u201c"_s + names.at(row) +
                                           u"\u201d of \u201c"_s + file + u"\u201d)"_s))
            << lines.at(row).toStdString();
    EXPECT_FALSE(hasRaw(file, names.at(2).toUtf8()));
}

TEST_F(ViewControllerTest, PasteReloadsOnlyWhenThePasteboardHoldsSomething) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "a");
    ViewController& view = open(file);
    setRaw(file, "user.added-behind", "x"); // shows up only if the list is reloaded

    pasteboard.clear();
    EXPECT_FALSE(view.pasteAttributes(pasteboard));
    EXPECT_EQ(view.ui().xattrTable->model()->rowCount(), 1);

    pasteboard.holdText();
    EXPECT_TRUE(view.pasteAttributes(pasteboard));
    EXPECT_EQ(view.ui().xattrTable->model()->rowCount(), 2);
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 2);

    // A record of an existing name replaces its value: still one row of that name.
    pasteboard.writeRecords({ResourceItem(u"user.a"_s, "pasted").archive()});
    view.ui().pasteXattrButton->click();
    EXPECT_EQ(getRaw(file, "user.a"), "pasted");
    EXPECT_EQ(namesShown(view).count(u"user.a"_s), 1);
}

TEST_F(ViewControllerTest, CommandsWithoutAFileOrSelectionDoNothing) {
    ViewController& empty = open({});
    pasteboard.writeRecords({ResourceItem(u"user.a"_s, "x").archive()});
    EXPECT_FALSE(empty.pasteAttributes(pasteboard));
    empty.cutSelectedAttributes();
    EXPECT_EQ(pasteboard.items().size(), 1); // nothing selected: the pasteboard keeps its item

    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    view.copySelectedAttributes(pasteboard);
    view.cutSelectedAttributes();
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 3);
    EXPECT_TRUE(alert.shown().isEmpty());
}

TEST_F(ViewControllerTest, QuarantineStampsTheFileAndItsEventRow) {
    QTemporaryDir home;
    const QuarantineDatabase database(home.path());
    database.create();
    const QString file = makeFile(u"f"_s, "12345");
    ViewController& view = open(file);
    view.quarantine().homePath = home.path();
    view.quarantine().clock = [] { return QDateTime::fromSecsSinceEpoch(1'765'000'000, Qt::UTC); };
    view.quarantine().uuid = [] {
        return QUuid::fromString(u"{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"_s);
    };

    view.ui().addQuarButton->click();
    EXPECT_TRUE(alert.shown().isEmpty()) << alert.shown().join(u' ').toStdString();
    const QByteArray value = "0083;6933c340;palvorn.app;6BA7B810-9DAD-11D1-80B4-00C04FD430C8";
    EXPECT_EQ(getRaw(file, "user.com.apple.quarantine"), value);
    EXPECT_EQ(namesShown(view), QStringList{u"user.com.apple.quarantine"_s});
    EXPECT_EQ(view.ui().quarantTextbox->text(), u"Xattr 62, data 5, total 67"_s);
    ASSERT_EQ(database.rows().size(), 1);
    EXPECT_TRUE(
        database.rows().front().startsWith(u"6BA7B810-9DAD-11D1-80B4-00C04FD430C8|786692800"_s));

    // Stamping again replaces the value; the same UUID breaks the table's key, which is reported.
    view.ui().addQuarButton->click();
    EXPECT_EQ(
        alert.shown(),
        QStringList{u"sqlite3 command returned error number 19 (quarantine event for \u201c"_s +
                    file + u"\u201d in \u201c"_s + database.path() + u"\u201d)"_s});
    EXPECT_EQ(namesShown(view), QStringList{u"user.com.apple.quarantine"_s});
}

TEST_F(ViewControllerTest, AFailingDatabaseStillLeavesTheStampListed) {
    QTemporaryDir home; // no database below it
    const QString file = makeFile(u"f"_s);
    ViewController& view = open(file);
    view.quarantine().homePath = home.path();
    view.ui().addQuarButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().constFirst().endsWith(
        u"does not exist, so no event was recorded for \u201c"_s + file + u"\u201d."_s));
    EXPECT_EQ(namesShown(view), QStringList{u"user.com.apple.quarantine"_s});

    alert.clear();
    ViewController& empty = open({});
    empty.addQuarantine();
    EXPECT_TRUE(alert.shown().isEmpty());
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
    selectRows(view, {rowOf(view, u"user.a"_s), rowOf(view, u"user.b#X"_s)});
    view.ui().addFlagButton->click();
    EXPECT_EQ(getRaw(file, "user.a#S"), "value a");
    EXPECT_EQ(getRaw(file, "user.b#X#S"), "value b");
    EXPECT_EQ(namesShown(view).size(), 3);

    // One selected attribute vanished behind the window's back: one alert that says what was
    // renamed and what was not, name by name; the rest goes on.
    ::removexattr(QFile::encodeName(file).constData(), "user.a#S");
    selectRows(view, {rowOf(view, u"user.a#S"_s), rowOf(view, u"user.b#X#S"_s),
                      rowOf(view, u"user.other"_s)});
    view.ui().stripFlagButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"Flags stripped, renamed to \u201cuser.b\u201d "
                                         "(attribute \u201cuser.b#X#S\u201d of \u201c"_s +
                                         file +
                                         u"\u201d)\nCan't strip flags: No data available "
                                         "(attribute \u201cuser.a#S\u201d of \u201c"_s +
                                         file + u"\u201d)"_s});
    EXPECT_EQ(getRaw(file, "user.b"), "value b");
    EXPECT_EQ(getRaw(file, "user.other"), "o");
    QStringList names = namesShown(view);
    names.sort();
    EXPECT_EQ(names, (QStringList{u"user.b"_s, u"user.other"_s}));
}

namespace {

class InspectorDesktopTest : public ViewControllerTest {
protected:
    static void SetUpTestSuite() {
        // The splitter's place is a setting: kept in a folder of the test's own.
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    }

    static QAction* menuAction(const ViewController& view, QKeySequence::StandardKey key) {
        for (QAction* action : view.window()->findChildren<QAction*>()) {
            if (action->shortcut() == QKeySequence(key))
                return action;
        }
        ADD_FAILURE() << "no menu item for " << QKeySequence(key).toString().toStdString();
        return nullptr;
    }
};

} // namespace

// Another program's write reaches the window by itself; the selected name stays selected and
// every control describes it.
TEST_F(InspectorDesktopTest, OutsideChangesReloadTheWindowKeepingTheSelection) {
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
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);
    EXPECT_FALSE(view.ui().removeXattrButton->isEnabled());
    EXPECT_TRUE(alert.shown().isEmpty());
}

// A reload the user did not ask for never opens an alert: what it could not read is in the
// window's status line, until a reload reads the file again.
TEST_F(InspectorDesktopTest, AnAutomaticReloadShowsItsFailuresInTheStatusLine) {
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

// The keys and the menu's commands reach the inspector of their window: F5, Select All, Delete,
// Undo, Redo and Tab.
TEST_F(InspectorDesktopTest, EditAndViewCommandsActOnTheirWindow) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    view.window()->show();
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    view.ui().xattrTable->setFocus();
    setRaw(file, "user.fourth", "4");
    QTest::keyClick(view.ui().xattrTable, Qt::Key_F5);
    EXPECT_EQ(namesShown(view).size(), 4);

    QTest::keySequence(view.ui().xattrTable, QKeySequence::SelectAll);
    EXPECT_EQ(view.selectedRowIndexes().size(), 4);
    selectRows(view, {rowOf(view, u"user.fourth"_s)});
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Delete);
    EXPECT_FALSE(hasRaw(file, "user.fourth"));
    EXPECT_EQ(view.ui().xattrTextbox->text(), QString());
    EXPECT_EQ(view.ui().newXattrButton->text(), u"New"_s);

    QAction* undo = menuAction(view, QKeySequence::Undo);
    EXPECT_EQ(undo->text(), u"&Undo Remove"_s);
    undo->trigger();
    EXPECT_EQ(getRaw(file, "user.fourth"), "4");
    EXPECT_FALSE(undo->isEnabled());
    menuAction(view, QKeySequence::Redo)->trigger();
    EXPECT_FALSE(hasRaw(file, "user.fourth"));

    // Tab leaves the table for the name box, then the command buttons, then the content pane.
    selectRows(view, {0});
    view.ui().xattrTable->setFocus();
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().xattrTextbox->hasFocus());
    QTest::keyClick(view.ui().xattrTextbox, Qt::Key_Tab);
    EXPECT_TRUE(view.ui().newXattrButton->hasFocus());
    EXPECT_EQ(view.ui().saveButton->nextInFocusChain(), view.ui().flagTextbox);
    EXPECT_EQ(view.ui().stripFlagButton->nextInFocusChain(), view.ui().outputTextcontent);

    // The keyboard is back in the table when the editor closes, ready for Undo.
    view.ui().newXattrButton->click();
    view.editor()->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.ui().xattrTable->hasFocus(); }));
}

// Delete is the text field's own key while a text field has the focus; the attribute commands
// are offered only when there is a selection to act on.
TEST_F(InspectorDesktopTest, DeleteAndSelectionCommandsActOnlyWhereTheyCan) {
    const QString file = makeThreeAttributeFile(u"f"_s);
    ViewController& view = open(file);
    view.window()->show();
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    QAction* cut = menuAction(view, QKeySequence::Cut);
    QAction* copy = menuAction(view, QKeySequence::Copy);
    QAction* remove = menuAction(view, QKeySequence::Delete);
    view.ui().xattrTable->setFocus();
    EXPECT_EQ(
        (QList<bool>{cut->isEnabled(), copy->isEnabled(), remove->isEnabled(),
                     view.ui().addFlagButton->isEnabled(), view.ui().stripFlagButton->isEnabled()}),
        QList<bool>(5, false));

    selectRows(view, {rowOf(view, u"user.first"_s)});
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
    EXPECT_EQ(getRaw(file, "user.first"), "first value");
    EXPECT_EQ(view.ui().xattrTextbox->text(), u"user.first"_s);

    view.ui().xattrTable->setFocus();
    remove->trigger();
    EXPECT_FALSE(hasRaw(file, "user.first"));
}

// After the editor's save the saved attribute is the one selected and described.
TEST_F(InspectorDesktopTest, ControlsDescribeTheSavedAttribute) {
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
TEST_F(InspectorDesktopTest, APathThatIsNotUtf8OpensItsFile) {
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

TEST_F(InspectorDesktopTest, DroppedFilesAreInspectedHereAndInWindowsOfTheirOwn) {
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
TEST_F(InspectorDesktopTest, SortedColumnsKeepTheSystemOrderElsewhere) {
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

TEST_F(InspectorDesktopTest, TheSplitterKeepsItsPlaceForTheNextWindow) {
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
