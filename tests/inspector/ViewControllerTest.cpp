#include "inspector/ViewController.h"

#include "model/ResourceList.h"
#include "model/XattrAccess.h"
#include "support/InspectorFixture.h"
#include "support/QuarantineDatabase.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QPushButton>

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

// Reading a user value needs read permission, listing it does not: as another user, each
// unreadable value gives one alert and the window lists the rest.
TEST_F(ViewControllerTest, EachUnreadableValueGivesOneAlert) {
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
            const bool alerts = childAlert.shown().size() == 2 &&
                                childAlert.shown().constFirst().startsWith(
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
    EXPECT_EQ(alert.shown(), QStringList{u"sqlite3 command returned error number 19"_s});
    EXPECT_EQ(namesShown(view), QStringList{u"user.com.apple.quarantine"_s});
}

TEST_F(ViewControllerTest, AFailingDatabaseStillLeavesTheStampListed) {
    QTemporaryDir home; // no database below it
    const QString file = makeFile(u"f"_s);
    ViewController& view = open(file);
    view.quarantine().homePath = home.path();
    view.ui().addQuarButton->click();
    ASSERT_EQ(alert.shown().size(), 1);
    EXPECT_TRUE(alert.shown().constFirst().endsWith(u"does not exist, so no event was recorded."_s));
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

    // One selected attribute vanished behind the window's back: one alert, the rest goes on.
    ::removexattr(QFile::encodeName(file).constData(), "user.a#S");
    selectRows(view, {rowOf(view, u"user.a#S"_s), rowOf(view, u"user.b#X#S"_s),
                      rowOf(view, u"user.other"_s)});
    view.ui().stripFlagButton->click();
    EXPECT_EQ(alert.shown(), QStringList{u"Can't strip flags: No data available (attribute "
                                         "\u201cuser.a#S\u201d of \u201c"_s +
                                         file + u"\u201d)"_s});
    EXPECT_EQ(getRaw(file, "user.b"), "value b");
    EXPECT_EQ(getRaw(file, "user.other"), "o");
    QStringList names = namesShown(view);
    names.sort();
    EXPECT_EQ(names, (QStringList{u"user.b"_s, u"user.other"_s}));
}
