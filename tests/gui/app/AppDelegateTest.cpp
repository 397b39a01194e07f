#include "gui/app/AppDelegate.h"

#include "core/app/RecentFiles.h"
#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "gui/app/AboutView.h"
#include "gui/tools/ToolWindow.h"
#include "support/InspectorFixture.h"
#include "ui_AboutView.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QSettings>
#include <QTest>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using AppDelegateTest = InspectorFixture;

// The items a menu shows once opened, by their text, marked when greyed out or checked.
QStringList itemsOf(QMenu& menu) {
    Q_EMIT menu.aboutToShow();
    QStringList items;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            items.append(action->text() + (action->isEnabled() ? u""_s : u" (off)"_s) +
                         (action->isChecked() ? u" (checked)"_s : u""_s));
    return items;
}

} // namespace

// Open, New Window, Close and Quit of the File menu open one window per file or folder and close
// them; the Window menu lists the open windows and brings the chosen one forward.
TEST_F(AppDelegateTest, FileAndWindowMenusOpenListAndCloseTheWindows) {
    delegate.openDocuments({makeFile(u"a.txt"_s), makeFile(u"b.txt"_s)});
    QMainWindow* window = delegate.documents().front()->window();
    openPanel.answerWith({makeFolder(u"folder"_s), makeFile(u"c"_s)});
    menuItem(window, u"&Open…"_s)->trigger();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(options.canChooseFiles && options.canChooseDirectories &&
                options.allowsMultipleSelection);
    menuItem(window, u"&New Window"_s)->trigger();
    // File, Edit, View, Window of another window than the one closed below.
    QMenu& windows = *delegate.documents().at(1)->window()->menuBar()->actions().at(3)->menu();
    ASSERT_EQ(windows.title(), u"&Window"_s);
    const QStringList listed = {u"a.txt"_s, u"b.txt"_s, u"folder"_s, u"c"_s, u"palvorn"_s};
    EXPECT_EQ(itemsOf(windows).mid(3), listed);

    QMainWindow* compare = delegate.openCompare();
    delegate.openStripper()->close(); // a closed window is not listed
    EXPECT_EQ(itemsOf(windows).mid(3), listed + QStringList{u"Xattr Compare"_s});
    compare->showMinimized();
    menuItem(&windows, u"Xattr Compare"_s)->trigger();
    QApplication::processEvents(); // the window system's activation arrives as an event
    EXPECT_FALSE(compare->isMinimized());
    EXPECT_EQ(QApplication::activeWindow(), compare);
    // The list is made afresh each time the menu opens.
    EXPECT_EQ(itemsOf(windows).mid(3), listed + QStringList{u"Xattr Compare (checked)"_s});

    menuItem(window, u"&Close"_s)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(delegate.documents().size(), 4);
    EXPECT_EQ(itemsOf(windows).mid(3), listed.mid(1) + QStringList{u"Xattr Compare (checked)"_s});
    menuItem(delegate.documents().front()->window(), u"&Quit"_s)->trigger();
    for (const Document* document : delegate.documents())
        EXPECT_FALSE(document->window()->isVisible());
}

// Each choice opens a new window of its kind, kept in its list when closed, whose own menus
// reach the shared update mark; the help pages open in the browser, the update notes by the
// system's release; About is one window.
TEST_F(AppDelegateTest, EveryWindowAndHelpMenuItemOpensItsWindowOrPage) {
    QMainWindow* window = delegate.newDocument()->window();
    const struct {
        QString item;
        const QList<QMainWindow*>& (AppDelegate::*list)() const;
    } kinds[] = {
        {u"&Compare…"_s, &AppDelegate::myCompare},
        {u"C&rawler…"_s, &AppDelegate::myCrawler},
        {u"&Stripper…"_s, &AppDelegate::myStripper},
        {u"palvorn &Help"_s, &AppDelegate::myHelpWindow},
        {u"&Privacy"_s, &AppDelegate::myPrivacy},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.item.toStdString());
        menuItem(window, kind.item)->trigger();
        menuItem(window, kind.item)->trigger();
        const QList<QMainWindow*> opened = (delegate.*kind.list)();
        ASSERT_EQ(opened.size(), 2);
        EXPECT_NE(opened.at(0)->centralWidget(), opened.at(1)->centralWidget());
        EXPECT_TRUE(opened.at(0)->isVisible() && opened.at(1)->isVisible());
        opened.at(0)->close();
        EXPECT_EQ((delegate.*kind.list)(), opened);
        EXPECT_TRUE(opened.at(0)->menuBar()->actions().last()->menu()->actions().contains(
            delegate.updateCheckedItem()));
    }
    EXPECT_FALSE(delegate.updateCheckedItem()->isEnabled()); // a mark, not a command

    // The launch records the system's release and runs the update schedule; the check is turned
    // off, so the launch step writes its keys and makes no request.
    QSettings().setValue(u"noUpdateCheck"_s, true);
    menuItem(window, u"&Update Notes"_s)->trigger(); // before launch the release is taken as 10
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.osVersion(), 17);
    menuItem(window, u"&Update Notes"_s)->trigger();
    menuItem(window, u"palvorn &Support"_s)->trigger();
    EXPECT_EQ(workspace.opened(),
              (QList<QUrl>{QUrl(u"https://www.brackenfield.co/palvorn/updates/legacy/"_s),
                           QUrl(u"https://www.brackenfield.co/palvorn/updates/"_s),
                           QUrl(u"https://www.brackenfield.co/palvorn/support/"_s)}));
    EXPECT_EQ(QSettings().value(u"updateCheckInt"_s).toDouble(), 43200.0);
    EXPECT_FALSE(QSettings().contains(u"dateLastUpdateCheck"_s));
    using Os = QOperatingSystemVersion;
    for (const auto& [version, expected] :
         {std::pair{Os(Os::MacOS, 10, 13), 13}, std::pair{Os(Os::MacOS, 11, 2), 16},
          std::pair{Os(Os::MacOS, 12, 0), 17}, std::pair{Os(Os::Windows, 10, 0), 17}})
        EXPECT_EQ(AppDelegate::osVersionFor(version), expected)
            << version.name().toStdString() << ' ' << version.majorVersion();

    // About: one window, brought forward again.
    menuItem(window, u"&About palvorn"_s)->trigger();
    QMainWindow* about = delegate.openAbout();
    EXPECT_EQ(delegate.openAbout(), about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), u"About palvorn"_s);
    const auto* aboutView = static_cast<ToolWindow*>(about)->contentController<AboutView>();
    ASSERT_NE(aboutView, nullptr);
    const Ui::AboutView& ui = aboutView->ui();
    EXPECT_EQ(ui.versionLabel->text(), u"Version "_s + QStringLiteral(PALVORN_VERSION));
    EXPECT_TRUE(ui.qtLabel->text().contains(QString::fromLatin1(qVersion())) &&
                ui.qtLabel->text().contains(QStringLiteral(QT_VERSION_STR)));
    EXPECT_TRUE(ui.licenceLabel->text().contains(u"licence"_s));
    ui.closeButton->click();
    EXPECT_FALSE(about->isVisible());
}

// Cut, Copy and Paste act on attributes in the table, and on the text of a focused text field. A
// read-only field takes only a Copy of its selected text: every other command, by key or by menu,
// acts on the attributes and never changes the field. Commands that cannot act are greyed out.
TEST_F(AppDelegateTest, EditMenuActsOnTextInTextFieldsAndOnAttributesElsewhere) {
    QMainWindow* empty = delegate.newDocument()->window();
    for (const QString& item : {u"&Export Attributes…"_s, u"&Import Attributes…"_s, u"&Paste"_s,
                                u"Select &All"_s, u"Cu&t"_s, u"&Edit Attribute…"_s})
        EXPECT_FALSE(menuItem(empty, item)->isEnabled()) << item.toStdString();
    EXPECT_TRUE(menuItem(empty, u"&Save Report…"_s)->isEnabled());

    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "alpha");
    InspectorView& view = open(file);
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    EXPECT_TRUE(view.ui().xattrTable->hasFocus()); // where the keyboard starts

    view.ui().xattrTable->selectRow(0);
    menuItem(view, u"&Copy"_s)->trigger();
    ASSERT_EQ(pasteboard.items().size(), 1);
    menuItem(view, u"Cu&t"_s)->trigger();
    EXPECT_FALSE(hasRaw(file, "user.a"));
    menuItem(view, u"&Paste"_s)->trigger();
    EXPECT_EQ(getRaw(file, "user.a"), "alpha");

    // In the read-only path field: Select All, Copy, Paste and Cut reach the table.
    setRaw(file, "user.b", "beta");
    view.reload();
    view.ui().xattrTable->clearSelection();
    QLineEdit* path = view.ui().filenameTextbox;
    path->setFocus();
    pasteboard.writeRecords({ResourceItem(u"user.pasted"_s, "p").archive()});
    QTest::keySequence(path, QKeySequence::Paste);
    EXPECT_EQ(getRaw(file, "user.pasted"), "p");
    QTest::keySequence(path, QKeySequence::SelectAll);
    EXPECT_EQ(view.selectedRowIndexes().size(), 3);
    EXPECT_FALSE(path->hasSelectedText());
    QTest::keySequence(path, QKeySequence::Copy);
    EXPECT_EQ(pasteboard.items().size(), 3);
    QTest::keySequence(path, QKeySequence::Cut);
    EXPECT_EQ(listRaw(QFile::encodeName(file)), QList<QByteArray>());
    EXPECT_EQ(path->text(), file);
    menuItem(view, u"&Undo Remove"_s)->trigger();
    // Its own selected text it copies.
    pasteboard.clear();
    path->selectAll();
    QTest::keySequence(path, QKeySequence::Copy);
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), file);
    EXPECT_EQ(path->text(), file);

    view.ui().flagTextbox->setText(u"flag text"_s);
    view.ui().flagTextbox->selectAll();
    view.ui().flagTextbox->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view.ui().flagTextbox);
    menuItem(view, u"&Copy"_s)->trigger();
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"flag text"_s);
    view.ui().flagTextbox->deselect();
    menuItem(view, u"Select &All"_s)->trigger(); // an editable field's own text
    EXPECT_EQ(view.ui().flagTextbox->selectedText(), u"flag text"_s);
}

// The windows' keys: File > Save Report… is Ctrl+S in every window with a report; the Stripper's
// key is none that a common command uses, Save As least of all.
TEST_F(AppDelegateTest, SaveReportIsCtrlSAndTheStripperKeyIsNoCommonOne) {
    const QString file = makeFile(u"f"_s);
    InspectorView& view = open(file);
    EXPECT_EQ(menuItem(view, u"&Save Report…"_s)->shortcut(), QKeySequence(QKeySequence::Save));
    const QString report = pathOf(u"report.txt"_s);
    savePanel.answerWith(QUrl::fromLocalFile(report));
    menuItem(view, u"&Save Report…"_s)->trigger();
    EXPECT_EQ(QString::fromUtf8(runTool(u"cat"_s, {report})), view.savedReportText());
    for (QMainWindow* tool :
         {delegate.openCompare(), delegate.openCrawler(), delegate.openStripper()})
        EXPECT_EQ(menuItem(tool, u"&Save Report…"_s)->shortcut(), QKeySequence(QKeySequence::Save));

    const QKeySequence stripper = menuItem(view, u"&Stripper…"_s)->shortcut();
    EXPECT_EQ(stripper, AppDelegate::stripperShortcut());
    const QMetaEnum keys = QMetaEnum::fromType<QKeySequence::StandardKey>();
    for (int i = 0; i < keys.keyCount(); ++i) {
        const auto key = QKeySequence::StandardKey(keys.value(i));
        EXPECT_FALSE(QKeySequence::keyBindings(key).contains(stripper)) << keys.key(i);
    }
    EXPECT_NE(stripper, QKeySequence(u"Ctrl+Shift+S"_s));
}

// File > Open and Open Recent in an empty window fill it instead of opening a second one. Recent
// paths are kept as bytes: one that is not UTF-8 is listed as names are shown, is not greyed out
// and opens its own file.
TEST_F(AppDelegateTest, OpenRecentOffersTheOpenedFilesNewestFirstUntilCleared) {
    QSettings().remove(u"recentFiles"_s);
    const QString a = makeFile(u"a"_s);
    const QString both = makeFolder(u"this & that"_s);
    QMainWindow* window = delegate.openDocument(QUrl::fromLocalFile(a))->window();
    QMainWindow* empty = delegate.newDocument()->window();
    openPanel.answerWith({both});
    menuItem(empty, u"&Open…"_s)->trigger();
    EXPECT_EQ(delegate.documents().size(), 2);
    EXPECT_EQ(empty->windowTitle(), u"this & that"_s);
    QMenu& recent = *menuItem(window, u"Open &Recent"_s)->menu();
    const QString bothTitle = QString(both).replace(u'&', u"&&"_s);
    EXPECT_EQ(itemsOf(recent), (QStringList{bothTitle, a, u"Clear Menu"_s}));

    // A file chosen there opens again and comes first; the list is kept for the next start.
    menuItem(&recent, a)->trigger();
    EXPECT_EQ(delegate.documents().last()->window()->windowTitle(), u"a"_s);
    EXPECT_EQ(RecentFiles::paths(QSettings()), (QStringList{a, both}));
    // A window opened through the document controller joins the list too.
    static_cast<DocumentController&>(delegate).openDocumentWithContentsOfURL(
        QUrl::fromLocalFile(both));
    // A file gone since stays listed, but cannot be chosen.
    QFile::remove(a);
    EXPECT_EQ(itemsOf(recent), (QStringList{bothTitle, a + u" (off)"_s, u"Clear Menu"_s}));

    const QByteArray bytes = QFile::encodeName(makeFolder(u"sub"_s)) + "/bad\xff";
    ASSERT_EQ(::close(::open(bytes.constData(), O_CREAT | O_WRONLY, 0644)), 0);
    setRaw(bytes, "user.a", "v");
    delegate.openDocuments({ByteText::decode(bytes)});
    delete delegate.documents().last()->window();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // its document
    const QString shown = displayName(bytes);
    EXPECT_EQ(itemsOf(recent).constFirst(), shown);
    menuItem(&recent, shown)->trigger();
    const InspectorView& reopened = delegate.documents().last()->window()->inspectorView();
    EXPECT_EQ(reopened.ui().filenameTextbox->text(), shown);
    EXPECT_EQ(reopened.window()->windowTitle(), u"bad\\xff"_s);
    EXPECT_EQ(namesShown(reopened), QStringList{u"user.a"_s});

    menuItem(&recent, u"Clear Menu"_s)->trigger();
    EXPECT_EQ(itemsOf(recent), QStringList{u"Clear Menu (off)"_s});
}
