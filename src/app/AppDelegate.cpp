#include "app/AppDelegate.h"

#include "app/AboutView.h"
#include "app/BuildSettings.h"
#include "app/HelpViewController.h"
#include "app/PrivacyView.h"
#include "app/PublisherSite.h"
#include "app/RecentFiles.h"
#include "app/ToolWindow.h"
#include "app/UpdateChecker.h"
#include "compare/CompareViewController.h"
#include "crawler/CrawlerViewController.h"
#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "inspector/ViewController.h"
#include "model/AttributeName.h"
#include "model/XattrAccess.h"
#include "platform/OpenPanel.h"
#include "platform/Workspace.h"
#include "stripper/StripperViewController.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QPlainTextEdit>
#include <QSettings>

namespace palvorn {

namespace {

enum class EditCommand { Cut, Copy, Paste, Delete };

void deleteText(QLineEdit& line) {
    if (!line.isReadOnly())
        line.del();
}

void deleteText(QPlainTextEdit& text) {
    if (!text.isReadOnly())
        text.textCursor().deleteChar();
}

template <typename TextWidget> void applyToText(TextWidget& widget, EditCommand command) {
    switch (command) {
    case EditCommand::Cut:
        return widget.cut();
    case EditCommand::Copy:
        return widget.copy();
    case EditCommand::Paste:
        return widget.paste();
    case EditCommand::Delete:
        return deleteText(widget);
    }
}

// The window's text field that has the focus, if one has.
QWidget* focusedText(const QMainWindow& window) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !window.isAncestorOf(focus))
        return nullptr;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return focus;
    return nullptr;
}

// Cut, copy and paste act on text where a text field has the focus, and on the selected
// attributes everywhere else in a document window. Delete removes attributes only while the
// table has the focus: anywhere else it is the focused control's own key.
void editCommand(QMainWindow& window, EditCommand command) {
    QWidget* text = focusedText(window);
    if (auto* line = qobject_cast<QLineEdit*>(text))
        return applyToText(*line, command);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(text))
        return applyToText(*plain, command);
    auto* document = qobject_cast<DocumentWindow*>(&window);
    if (!document)
        return;
    ViewController& view = document->viewController();
    switch (command) {
    case EditCommand::Cut:
        return view.cutWithSender();
    case EditCommand::Copy:
        return view.copyWithSender();
    case EditCommand::Paste:
        return view.pasteWithSender();
    case EditCommand::Delete:
        if (view.tableHasFocus())
            view.removeSelectedAttributes();
        return;
    }
}

// Cut, Copy and Delete are offered where they can act: on a focused text field, or on selected
// attributes (Delete only with the table focused).
void followSelection(QMainWindow& window, ViewController& view, QAction* cut, QAction* copy,
                     QAction* remove) {
    const auto update = [&window, &view, cut, copy, remove] {
        const bool text = focusedText(window) != nullptr;
        const bool selected = view.hasSelectedAttributes();
        cut->setEnabled(text || selected);
        copy->setEnabled(text || selected);
        remove->setEnabled(text || (selected && view.tableHasFocus()));
    };
    QObject::connect(&view, &ViewController::selectionStateChanged, remove, update);
    QObject::connect(qApp, &QApplication::focusChanged, remove, update);
    update();
}

} // namespace

AppDelegate::AppDelegate(Platform platform, QObject* parent)
    : QObject(parent), m_platform(platform),
      m_updateCheckedItem(new QAction(UpdateChecker::notCheckedTitle(), this)) {
    // A mark, not a command: the update check checks and retitles it.
    m_updateCheckedItem->setEnabled(false);
    m_platform.documentController = this;
    registerMainInterface();
}

namespace {

// A path or title shown as it is, not with its '&' taken as a shortcut mark.
QString menuTitle(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

QMainWindow* showNew(const Storyboard& storyboard, const QString& identifier,
                     QList<QMainWindow*>& list) {
    QMainWindow* window = storyboard.instantiateController(identifier);
    list.append(window);
    window->show();
    return window;
}

} // namespace

AppDelegate::~AppDelegate() {
    for (const QList<QMainWindow*>* windows :
         {&m_myCrawler, &m_myStripper, &m_myCompare, &m_myPrivacy, &m_myHelpWindow})
        qDeleteAll(*windows);
    delete m_aboutWindow;
}

void AppDelegate::applicationDidFinishLaunching() {
    m_osVersion = osVersionFor(QOperatingSystemVersion::current());
    m_settings = std::make_unique<QSettings>();
    // A build without the check (a distribution's package) never fetches the list.
    if (!BuildSettings::updateCheck)
        return;
    m_updateChecker = std::make_unique<UpdateChecker>(*m_settings, m_platform.updateAlert,
                                                      m_platform.workspace, m_updateCheckedItem);
    m_updateChecker->launch();
}

int AppDelegate::osVersionFor(const QOperatingSystemVersion& version) {
    if (version.type() != QOperatingSystemVersion::MacOS)
        return 17;
    switch (version.majorVersion()) {
    case 10:
        return version.minorVersion();
    case 11:
        return 16;
    default:
        return 17;
    }
}

QMainWindow* AppDelegate::openCompare() {
    return showNew(m_storyboard, QStringLiteral("Compare Window Controller"), m_myCompare);
}

QMainWindow* AppDelegate::openCrawler() {
    return showNew(m_storyboard, QStringLiteral("Crawler Window Controller"), m_myCrawler);
}

QMainWindow* AppDelegate::openStripper() {
    return showNew(m_storyboard, QStringLiteral("Stripper Window Controller"), m_myStripper);
}

QMainWindow* AppDelegate::openHelp() {
    return showNew(m_storyboard, QStringLiteral("Help Window Controller"), m_myHelpWindow);
}

QMainWindow* AppDelegate::openPrivacy() {
    return showNew(m_storyboard, QStringLiteral("Privacy Window Controller"), m_myPrivacy);
}

QMainWindow* AppDelegate::openAbout() {
    if (!m_aboutWindow)
        m_aboutWindow =
            m_storyboard.instantiateController(QStringLiteral("About Window Controller"));
    m_aboutWindow->show();
    m_aboutWindow->raise();
    m_aboutWindow->activateWindow();
    return m_aboutWindow;
}

void AppDelegate::openSupport() {
    m_platform.workspace.openURL(QUrl(PublisherSite::supportPage));
}

void AppDelegate::openUpdates() {
    // Systems up to 10.11 get the notes of the last versions that still ran there.
    m_platform.workspace.openURL(QUrl(m_osVersion < 12 ? PublisherSite::legacyUpdateNotesPage
                                                       : PublisherSite::updateNotesPage));
}

void AppDelegate::registerMainInterface() {
    const auto toolWindow = [this](QWidget* controller) {
        auto* window = new ToolWindow(controller);
        installMenus(*window);
        return window;
    };
    m_storyboard.registerController(
        QStringLiteral("Compare Window Controller"),
        [this, toolWindow] { return toolWindow(new CompareViewController(m_platform)); });
    m_storyboard.registerController(
        QStringLiteral("Stripper Window Controller"),
        [this, toolWindow] { return toolWindow(new StripperViewController(m_platform)); });
    m_storyboard.registerController(
        QStringLiteral("Crawler Window Controller"),
        [this, toolWindow] { return toolWindow(new CrawlerViewController(m_platform)); });
    m_storyboard.registerController(QStringLiteral("Help Window Controller"),
                                    [toolWindow] { return toolWindow(new HelpViewController()); });
    m_storyboard.registerController(QStringLiteral("Privacy Window Controller"),
                                    [toolWindow] { return toolWindow(new PrivacyView()); });
    m_storyboard.registerController(QStringLiteral("About Window Controller"),
                                    [toolWindow] { return toolWindow(new AboutView()); });
    m_storyboard.registerController(QStringLiteral("Document Window Controller"), [this] {
        auto* window = new DocumentWindow(m_platform);
        connect(&window->viewController(), &ViewController::openDocumentRequested, this,
                &AppDelegate::openDocument);
        installMenus(*window);
        return window;
    });
}

Document* AppDelegate::openDocument(const QUrl& url) {
    return showDocument(new Document(url, this));
}

Document* AppDelegate::openDocumentAtPath(const QString& localPath) {
    return showDocument(Document::atPath(localPath, this));
}

Document* AppDelegate::showDocument(Document* document) {
    DocumentWindow* window = document->makeWindowControllers(m_storyboard);
    m_documents.append(document);
    window->show();
    if (!document->localPath().isEmpty()) {
        QSettings settings;
        RecentFiles::add(settings, document->localPath());
    }
    return document;
}

void AppDelegate::openDocuments(const QStringList& paths) {
    for (const QString& path : paths)
        openDocumentAtPath(QFileInfo(path).absoluteFilePath());
}

void AppDelegate::openFiles() {
    OpenPanel::Options options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    m_platform.openPanel.begin(nullptr, options, [this](const QList<QUrl>& urls) {
        for (const QUrl& url : urls)
            openDocument(url);
    });
}

Document* AppDelegate::newDocument() {
    return openDocument(QUrl());
}

void AppDelegate::installMenus(QMainWindow& window) {
    // Closed documents leave empty pointers; dropping them keeps the list to the open windows.
    m_windows.removeIf([](const QPointer<QMainWindow>& gone) { return gone.isNull(); });
    m_windows.append(&window);
    QMenu* file = window.menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open…"), QKeySequence::Open, this, &AppDelegate::openFiles);
    addOpenRecentMenu(*file);
    file->addAction(tr("&New Window"), QKeySequence::New, this, &AppDelegate::newDocument);
    file->addSeparator();
    // The inspector's own commands; a text field with the focus takes their keys itself.
    auto* document = qobject_cast<DocumentWindow*>(&window);
    ViewController* view = document ? &document->viewController() : nullptr;
    if (view) {
        file->addAction(tr("&Export Attributes…"), view, &ViewController::exportAttributes);
        file->addAction(tr("&Import Attributes…"), view, &ViewController::importAttributes);
        file->addSeparator();
    }
    file->addAction(tr("&Close"), QKeySequence::Close, &window, &QWidget::close);
    QAction* quit =
        file->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::closeAllWindows);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = window.menuBar()->addMenu(tr("&Edit"));
    if (view) {
        QAction* undo =
            edit->addAction(tr("&Undo"), QKeySequence::Undo, view, &ViewController::undo);
        QAction* redo =
            edit->addAction(tr("&Redo"), QKeySequence::Redo, view, &ViewController::redo);
        view->followUndoStack(undo, redo);
        edit->addSeparator();
    }
    QAction* cut = edit->addAction(tr("Cu&t"), QKeySequence::Cut, &window,
                                   [&window] { editCommand(window, EditCommand::Cut); });
    QAction* copy = edit->addAction(tr("&Copy"), QKeySequence::Copy, &window,
                                    [&window] { editCommand(window, EditCommand::Copy); });
    edit->addAction(tr("&Paste"), QKeySequence::Paste, &window,
                    [&window] { editCommand(window, EditCommand::Paste); });
    if (view) {
        QAction* remove = edit->addAction(tr("&Delete"), QKeySequence::Delete, &window,
                                          [&window] { editCommand(window, EditCommand::Delete); });
        followSelection(window, *view, cut, copy, remove);
        edit->addAction(tr("Select &All"), QKeySequence::SelectAll, view,
                        &ViewController::selectAll);
        window.menuBar()
            ->addMenu(tr("&View"))
            ->addAction(tr("&Reload"), QKeySequence::Refresh, view, &ViewController::reload);
    }

    QMenu* windows = window.menuBar()->addMenu(tr("&Window"));
    windows->addAction(tr("&Compare…"), QKeySequence(tr("Ctrl+Shift+C")), this,
                       &AppDelegate::openCompare);
    windows->addAction(tr("C&rawler…"), QKeySequence(tr("Ctrl+Shift+R")), this,
                       &AppDelegate::openCrawler);
    windows->addAction(tr("&Stripper…"), QKeySequence(tr("Ctrl+Shift+S")), this,
                       &AppDelegate::openStripper);
    addWindowList(*windows);

    QMenu* help = window.menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("palvorn &Help"), QKeySequence::HelpContents, this, &AppDelegate::openHelp);
    help->addAction(tr("&Privacy"), this, &AppDelegate::openPrivacy);
    help->addSeparator();
    help->addAction(tr("palvorn &Support"), this, &AppDelegate::openSupport);
    help->addAction(tr("&Update Notes"), this, &AppDelegate::openUpdates);
    help->addSeparator();
    help->addAction(m_updateCheckedItem);
    help->addSeparator();
    help->addAction(tr("&About palvorn"), this, &AppDelegate::openAbout)
        ->setMenuRole(QAction::AboutRole);
}

// The list is read when the menu opens, so every window's menu shows what any window opened.
void AppDelegate::addOpenRecentMenu(QMenu& file) {
    QMenu* recent = file.addMenu(tr("Open &Recent"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillOpenRecentMenu(*recent); });
}

void AppDelegate::fillOpenRecentMenu(QMenu& recent) {
    recent.clear();
    QSettings settings;
    const QStringList paths = RecentFiles::paths(settings);
    for (const QString& path : paths) {
        QAction* item = recent.addAction(menuTitle(displayName(nativePath(path))), this,
                                         [this, path] { openDocument(QUrl::fromLocalFile(path)); });
        // Kept, not dropped: a file on a drive that is not mounted now comes back later.
        item->setEnabled(QFileInfo::exists(path));
    }
    recent.addSeparator();
    QAction* clear = recent.addAction(tr("Clear Menu"), this, [] {
        QSettings cleared;
        RecentFiles::clear(cleared);
    });
    clear->setEnabled(!paths.isEmpty());
}

// The open windows follow the tool items, refreshed each time the menu opens.
void AppDelegate::addWindowList(QMenu& windows) {
    windows.addSeparator();
    connect(&windows, &QMenu::aboutToShow, this, [this, &windows] { fillWindowList(windows); });
}

void AppDelegate::fillWindowList(QMenu& windows) {
    const QString listed = QStringLiteral("palvornWindowListItem");
    for (QAction* action : windows.actions()) {
        if (action->objectName() == listed)
            delete action;
    }
    for (QMainWindow* window : openWindows()) {
        QAction* item = windows.addAction(menuTitle(window->windowTitle()), window, [window] {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->show();
            window->raise();
            window->activateWindow();
        });
        item->setObjectName(listed);
        item->setCheckable(true);
        item->setChecked(window->isActiveWindow());
    }
}

QList<QMainWindow*> AppDelegate::openWindows() const {
    QList<QMainWindow*> open;
    for (const QPointer<QMainWindow>& window : m_windows) {
        if (window && window->isVisible())
            open.append(window);
    }
    return open;
}

QList<Document*> AppDelegate::documents() const {
    QList<Document*> open;
    for (const QPointer<Document>& document : m_documents) {
        if (document)
            open.append(document);
    }
    return open;
}

} // namespace palvorn
