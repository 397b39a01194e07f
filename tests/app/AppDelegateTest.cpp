#include "app/AppDelegate.h"

#include "app/AboutView.h"
#include "app/ToolWindow.h"
#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "inspector/ViewController.h"
#include "platform/RecordingErrorAlert.h"
#include "platform/RecordingOpenPanel.h"
#include "platform/RecordingPasteboard.h"
#include "platform/RecordingSavePanel.h"
#include "platform/RecordingUpdateAlert.h"
#include "platform/RecordingWorkspace.h"
#include "support/GuiTestSettings.h"
#include "support/XattrFixture.h"
#include "ui_AboutView.h"
#include "ui_ViewController.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QSettings>
#include <QTableView>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class AppDelegateTest : public XattrFixture {
protected:
    void TearDown() override {
        for (Document* document : delegate.documents())
            delete document->window();
    }

    RecordingErrorAlert alert;
    RecordingOpenPanel openPanel;
    RecordingSavePanel savePanel;
    RecordingPasteboard pasteboard;
    RecordingUpdateAlert updateAlert;
    RecordingWorkspace workspace;
    AppDelegate delegate{Platform{alert, openPanel, savePanel, pasteboard, updateAlert, workspace}};
};

// The items a menu shows once opened, by their text.
QStringList itemsOf(QMenu& menu) {
    Q_EMIT menu.aboutToShow();
    QStringList items;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            items.append(action->text());
    return items;
}

QAction* itemOf(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
}

QMenu& menuOf(QMainWindow& window, const QString& title) {
    QMenu* found = nullptr;
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == title)
            found = action->menu();
    return *found;
}

QStringList titlesOf(const QList<Document*>& documents) {
    QStringList titles;
    for (const Document* document : documents)
        titles.append(document->window()->windowTitle());
    return titles;
}

} // namespace

TEST_F(AppDelegateTest, OneWindowPerFileAndFileOpenTakesFilesAndFolders) {
    delegate.openDocuments({makeFile(u"a.txt"_s), makeFile(u"b.txt"_s)});
    EXPECT_EQ(titlesOf(delegate.documents()), (QStringList{u"a.txt"_s, u"b.txt"_s}));

    openPanel.answerWith(
        {QUrl::fromLocalFile(makeFolder(u"folder"_s)), QUrl::fromLocalFile(makeFile(u"c"_s))});
    delegate.openFiles();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(options.canChooseFiles && options.canChooseDirectories &&
                options.allowsMultipleSelection);
    EXPECT_EQ(titlesOf(delegate.documents()),
              (QStringList{u"a.txt"_s, u"b.txt"_s, u"folder"_s, u"c"_s}));

    delegate.newDocument();
    EXPECT_EQ(titlesOf(delegate.documents()).last(), u"palvorn"_s);
}

TEST_F(AppDelegateTest, EveryWindowHasTheFileMenuAndClosingEndsItsDocument) {
    Document* document = delegate.openDocument(QUrl::fromLocalFile(makeFile(u"a"_s)));
    QStringList actions;
    for (QAction* menu : document->window()->menuBar()->actions())
        for (QAction* action : menu->menu()->actions())
            if (!action->isSeparator())
                actions.append(action->text());
    EXPECT_EQ(actions, (QStringList{u"&Open…"_s,
                                    u"Open &Recent"_s,
                                    u"&New Window"_s,
                                    u"&Export Attributes…"_s,
                                    u"&Import Attributes…"_s,
                                    u"&Close"_s,
                                    u"&Quit"_s,
                                    u"&Undo"_s,
                                    u"&Redo"_s,
                                    u"Cu&t"_s,
                                    u"&Copy"_s,
                                    u"&Paste"_s,
                                    u"&Delete"_s,
                                    u"Select &All"_s,
                                    u"&Reload"_s,
                                    u"&Compare…"_s,
                                    u"C&rawler…"_s,
                                    u"&Stripper…"_s,
                                    u"palvorn &Help"_s,
                                    u"&Privacy"_s,
                                    u"palvorn &Support"_s,
                                    u"&Update Notes"_s,
                                    u"Update not checked"_s,
                                    u"&About palvorn"_s}));

    document->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(delegate.documents().isEmpty());
}

TEST_F(AppDelegateTest, OsVersionFollowsTheSystemsRelease) {
    using Os = QOperatingSystemVersion;
    const struct {
        Os version;
        int expected;
    } cases[] = {
        {Os(Os::MacOS, 10, 11), 11}, {Os(Os::MacOS, 10, 13), 13},  {Os(Os::MacOS, 10, 15), 15},
        {Os(Os::MacOS, 11, 2), 16},  {Os(Os::MacOS, 12, 0), 17},   {Os(Os::MacOS, 14, 1), 17},
        {Os(Os::Unknown, 6, 1), 17}, {Os(Os::Windows, 10, 0), 17},
    };
    for (const auto& test : cases)
        EXPECT_EQ(AppDelegate::osVersionFor(test.version), test.expected)
            << test.version.name().toStdString() << ' ' << test.version.majorVersion();
}

TEST_F(AppDelegateTest, LaunchRecordsTheSystemAndRunsTheUpdateSchedule) {
    // The application's settings, redirected to a scratch folder; the check is turned off, so
    // the launch step writes its keys and makes no request.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, makeFolder(u"config"_s));
    QCoreApplication::setOrganizationName(u"palvorn-test"_s);
    QSettings(u"palvorn-test"_s, QCoreApplication::applicationName())
        .setValue(u"noUpdateCheck"_s, true);

    EXPECT_EQ(delegate.osVersion(), 10);
    delegate.openUpdates(); // before launch the release is unknown, taken as 10
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.osVersion(), 17);
    delegate.openUpdates();
    delegate.openSupport();
    EXPECT_EQ(workspace.opened(),
              (QList<QUrl>{QUrl(u"https://www.brackenfield.co/palvorn/updates/legacy/"_s),
                           QUrl(u"https://www.brackenfield.co/palvorn/updates/"_s),
                           QUrl(u"https://www.brackenfield.co/palvorn/support/"_s)}));

    const QSettings written(u"palvorn-test"_s, QCoreApplication::applicationName());
    EXPECT_EQ(written.value(u"updateCheckInt"_s).toDouble(), 43200.0);
    EXPECT_FALSE(written.contains(u"dateLastUpdateCheck"_s));
    EXPECT_EQ(delegate.updateCheckedItem()->text(), u"Update not checked"_s);
    EXPECT_TRUE(updateAlert.errors().isEmpty());
    QCoreApplication::setOrganizationName(QString());
    // Back to the folder every window test keeps its settings in.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, guiTestSettingsFolder());
}

TEST_F(AppDelegateTest, EveryAuxiliaryWindowOpensAnewOnEachChoice) {
    using Open = QMainWindow* (AppDelegate::*)();
    using List = const QList<QMainWindow*>& (AppDelegate::*)() const;
    const struct {
        Open open;
        List list;
    } kinds[] = {
        {&AppDelegate::openCompare, &AppDelegate::myCompare},
        {&AppDelegate::openCrawler, &AppDelegate::myCrawler},
        {&AppDelegate::openStripper, &AppDelegate::myStripper},
        {&AppDelegate::openHelp, &AppDelegate::myHelpWindow},
        {&AppDelegate::openPrivacy, &AppDelegate::myPrivacy},
    };
    for (const auto& kind : kinds) {
        QMainWindow* first = (delegate.*kind.open)();
        QMainWindow* second = (delegate.*kind.open)();
        ASSERT_TRUE(first && second);
        EXPECT_NE(first, second);
        EXPECT_NE(first->centralWidget(), second->centralWidget());
        EXPECT_TRUE(first->isVisible() && second->isVisible());
        first->close(); // closing keeps the window in its list
        EXPECT_EQ((delegate.*kind.list)(), (QList<QMainWindow*>{first, second}));
        // Each window's menu bar reaches the shared update mark.
        EXPECT_TRUE(first->menuBar()->actions().last()->menu()->actions().contains(
            delegate.updateCheckedItem()));
    }
}

TEST_F(AppDelegateTest, EveryWindowAndHelpMenuItemOpensItsWindowOrPage) {
    QMainWindow* window = delegate.openDocument(QUrl())->window();
    const auto trigger = [window](const QString& text) {
        for (QAction* menu : window->menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text() == text)
                    return action->trigger();
        ADD_FAILURE() << "no menu item " << text.toStdString();
    };
    const struct {
        QString item;
        const QList<QMainWindow*>& (AppDelegate::*list)() const;
    } windows[] = {
        {u"&Compare…"_s, &AppDelegate::myCompare},
        {u"C&rawler…"_s, &AppDelegate::myCrawler},
        {u"&Stripper…"_s, &AppDelegate::myStripper},
        {u"palvorn &Help"_s, &AppDelegate::myHelpWindow},
        {u"&Privacy"_s, &AppDelegate::myPrivacy},
    };
    for (const auto& kind : windows) {
        trigger(kind.item);
        ASSERT_EQ((delegate.*kind.list)().size(), 1) << kind.item.toStdString();
        EXPECT_TRUE((delegate.*kind.list)().front()->isVisible());
    }
    trigger(u"palvorn &Support"_s);
    trigger(u"&Update Notes"_s);
    EXPECT_EQ(workspace.opened().size(), 2);
    EXPECT_FALSE(delegate.updateCheckedItem()->isEnabled()); // a mark, not a command
}

TEST_F(AppDelegateTest, StoryboardMakesANewWindowEachTime) {
    const Storyboard& main = delegate.storyboard();
    EXPECT_EQ(main.name(), u"Main"_s);
    std::unique_ptr<QMainWindow> one(main.instantiateController(u"Document Window Controller"_s));
    std::unique_ptr<QMainWindow> two(main.instantiateController(u"Document Window Controller"_s));
    ASSERT_TRUE(one && two);
    EXPECT_NE(one.get(), two.get());
    EXPECT_EQ(main.instantiateController(u"No Such Controller"_s), nullptr);
}

TEST_F(AppDelegateTest, EditMenuActsOnTextInTextFieldsAndOnAttributesElsewhere) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "alpha");
    Document* document = delegate.openDocument(QUrl::fromLocalFile(file));
    DocumentWindow* window = document->window();
    ViewController& view = window->viewController();
    const auto trigger = [window](const QString& text) {
        for (QAction* menu : window->menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text() == text)
                    action->trigger();
    };
    window->activateWindow();
    QApplication::setActiveWindow(window);

    view.ui().xattrTable->selectRow(0);
    view.ui().xattrTable->setFocus();
    trigger(u"&Copy"_s);
    ASSERT_EQ(pasteboard.items().size(), 1);

    pasteboard.clear();
    view.ui().flagTextbox->setText(u"flag text"_s);
    view.ui().flagTextbox->selectAll();
    view.ui().flagTextbox->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view.ui().flagTextbox);
    trigger(u"&Copy"_s);
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"flag text"_s);
}

TEST_F(AppDelegateTest, OpenRecentOffersTheLastTenOpenedNewestFirstUntilCleared) {
    QSettings().remove(u"recentFiles"_s);
    const QString a = makeFile(u"a"_s);
    const QString both = makeFolder(u"this & that"_s);
    QMainWindow* window = delegate.openDocument(QUrl::fromLocalFile(a))->window();
    delegate.newDocument(); // an empty window opens no file
    openPanel.answerWith({QUrl::fromLocalFile(both)});
    delegate.openFiles();
    QMenu& recent = *itemOf(menuOf(*window, u"&File"_s), u"Open &Recent"_s)->menu();
    EXPECT_EQ(itemsOf(recent),
              (QStringList{QString(both).replace(u'&', u"&&"_s), a, u"Clear Menu"_s}));

    // A file chosen there opens again and comes first; the list is kept for the next start.
    itemOf(recent, a)->trigger();
    EXPECT_EQ(titlesOf(delegate.documents()).last(), u"a"_s);
    EXPECT_EQ(QSettings().value(u"recentFiles"_s).toStringList(), (QStringList{a, both}));
    // A window opened through the document controller joins the list too.
    static_cast<DocumentController&>(delegate).openDocumentWithContentsOfURL(
        QUrl::fromLocalFile(both));
    EXPECT_EQ(delegate.documents().size(), 5);
    EXPECT_EQ(itemsOf(recent).front(), QString(both).replace(u'&', u"&&"_s));
    // A file gone since stays listed, but cannot be chosen.
    QFile::remove(a);
    EXPECT_EQ(itemsOf(recent).at(1), a);
    EXPECT_FALSE(itemOf(recent, a)->isEnabled());

    itemOf(recent, u"Clear Menu"_s)->trigger();
    EXPECT_EQ(itemsOf(recent), QStringList{u"Clear Menu"_s});
    EXPECT_FALSE(itemOf(recent, u"Clear Menu"_s)->isEnabled());
}

TEST_F(AppDelegateTest, WindowMenuListsTheOpenWindowsAndBringsTheChosenOneForward) {
    QMainWindow* first = delegate.openDocument(QUrl::fromLocalFile(makeFile(u"first"_s)))->window();
    QMainWindow* second =
        delegate.openDocument(QUrl::fromLocalFile(makeFile(u"second"_s)))->window();
    QMainWindow* compare = delegate.openCompare();
    delegate.openStripper()->close(); // a closed window is not listed
    QMenu& windows = menuOf(*first, u"&Window"_s);
    const QStringList tools = {u"&Compare…"_s, u"C&rawler…"_s, u"&Stripper…"_s};
    EXPECT_EQ(itemsOf(windows), (tools + QStringList{u"first"_s, u"second"_s, u"Xattr Compare"_s}));

    compare->showMinimized();
    itemOf(windows, u"Xattr Compare"_s)->trigger();
    QApplication::processEvents(); // the window system's activation arrives as an event
    EXPECT_FALSE(compare->isMinimized());
    EXPECT_EQ(QApplication::activeWindow(), compare);
    itemsOf(windows); // the list is made afresh each time the menu opens
    EXPECT_TRUE(itemOf(windows, u"Xattr Compare"_s)->isChecked());
    EXPECT_FALSE(itemOf(windows, u"first"_s)->isChecked());

    second->close();
    EXPECT_EQ(itemsOf(windows), (tools + QStringList{u"first"_s, u"Xattr Compare"_s}));
}

TEST_F(AppDelegateTest, AboutShowsTheVersionsAndLicenceInOneWindow) {
    QMainWindow* window = delegate.openDocument(QUrl())->window();
    itemOf(menuOf(*window, u"&Help"_s), u"&About palvorn"_s)->trigger();
    QMainWindow* about = delegate.openAbout();
    EXPECT_EQ(delegate.openAbout(), about); // one window, brought forward again
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), u"About palvorn"_s);
    auto* view = static_cast<ToolWindow*>(about)->contentController<AboutView>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->ui().versionLabel->text(), u"Version "_s + QStringLiteral(PALVORN_VERSION));
    EXPECT_TRUE(view->ui().qtLabel->text().contains(QString::fromLatin1(qVersion())));
    EXPECT_TRUE(view->ui().qtLabel->text().contains(QStringLiteral(QT_VERSION_STR)));
    EXPECT_TRUE(view->ui().licenceLabel->text().contains(u"licence"_s));
    view->ui().closeButton->click();
    EXPECT_FALSE(about->isVisible());
}
