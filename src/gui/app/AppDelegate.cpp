#include "gui/app/AppDelegate.h"

#include "core/app/BuildSettings.h"
#include "core/app/PublisherSite.h"
#include "core/app/RecentFiles.h"
#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"
#include "core/platform/OpenPanel.h"
#include "core/platform/Workspace.h"
#include "gui/app/AboutView.h"
#include "gui/app/HelpView.h"
#include "gui/app/MenuCommands.h"
#include "gui/app/PrivacyView.h"
#include "gui/app/UpdateChecker.h"
#include "gui/compare/CompareView.h"
#include "gui/crawler/CrawlerView.h"
#include "gui/inspector/Document.h"
#include "gui/inspector/DocumentWindow.h"
#include "gui/inspector/InspectorView.h"
#include "gui/stripper/StripperView.h"
#include "gui/tools/ToolWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QSettings>

namespace palvorn {

AppDelegate::AppDelegate(Platform platform, QObject* parent)
    : QObject(parent), m_platform(platform),
      m_updateCheckedItem(new QAction(UpdateChecker::notCheckedTitle(), this)) {
    // A mark, not a command: the update check checks and retitles it.
    m_updateCheckedItem->setEnabled(false);
    m_platform.documentController = this;
}

namespace {

// A path or title shown as it is, not with its '&' taken as a shortcut mark.
QString menuTitle(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

QMainWindow* showNew(QMainWindow* window, QList<QMainWindow*>& list) {
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

QMainWindow* AppDelegate::toolWindow(QWidget* controller) {
    auto* window = new ToolWindow(controller);
    installMenus(*window);
    return window;
}

template <typename Controller>
QMainWindow* AppDelegate::reportWindow(Controller* controller) {
    auto* window = new ToolWindow(controller);
    installMenus(*window, [controller] { controller->saveButton(); });
    return window;
}

QMainWindow* AppDelegate::openCompare() {
    return showNew(reportWindow(new CompareView(m_platform)), m_myCompare);
}

QMainWindow* AppDelegate::openCrawler() {
    return showNew(reportWindow(new CrawlerView(m_platform)), m_myCrawler);
}

QMainWindow* AppDelegate::openStripper() {
    return showNew(reportWindow(new StripperView(m_platform)), m_myStripper);
}

QMainWindow* AppDelegate::openHelp() {
    return showNew(toolWindow(new HelpView()), m_myHelpWindow);
}

QMainWindow* AppDelegate::openPrivacy() {
    return showNew(toolWindow(new PrivacyView()), m_myPrivacy);
}

QMainWindow* AppDelegate::openAbout() {
    if (!m_aboutWindow)
        m_aboutWindow = toolWindow(new AboutView());
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

Document* AppDelegate::openDocument(const QUrl& url) {
    return openDocumentAtPath(url.toLocalFile());
}

Document* AppDelegate::openDocumentAtPath(const QString& localPath) {
    return showDocument(Document::atPath(localPath, this));
}

Document* AppDelegate::showDocument(Document* document) {
    DocumentWindow* window = document->makeWindow(m_platform);
    connect(&window->inspectorView(), &InspectorView::openDocumentRequested, this,
            &AppDelegate::openDocumentAtPath);
    installMenus(*window);
    m_documents.append(document);
    window->show();
    addRecentFile(document->localPath());
    return document;
}

void AppDelegate::addRecentFile(const QString& path) {
    if (path.isEmpty())
        return;
    QSettings settings;
    RecentFiles::add(settings, path);
}

// A relative path is taken in the current folder as bytes: Qt's own absolute path goes through
// text and would turn a byte that is not UTF-8 into another name.
void AppDelegate::openDocuments(const QStringList& paths) {
    for (const QString& path : paths)
        openDocumentAtPath(FolderText::absolutePath(path));
}

Document* AppDelegate::openFrom(QMainWindow* from, const QString& path) {
    auto* window = qobject_cast<DocumentWindow*>(from);
    Document* document = window ? window->inspectorView().document() : nullptr;
    // The empty window stays the user's to fill: File > Open there fills it, as Inspect… does.
    if (!document || window->inspectorView().hasFile())
        return openDocumentAtPath(path);
    document->setLocalPath(path);
    window->inspectorView().inspectPath(path);
    addRecentFile(path);
    return document;
}

void AppDelegate::openFiles(QMainWindow* from) {
    OpenPanel::Options options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    const QPointer<QMainWindow> window(from);
    m_platform.openPanel.begin(nullptr, options, [this, window](const QStringList& paths) {
        for (qsizetype i = 0; i < paths.size(); ++i)
            openFrom(i == 0 ? window.data() : nullptr, paths.at(i));
    });
}

Document* AppDelegate::newDocument() {
    return openDocumentAtPath(QString());
}

void AppDelegate::installMenus(QMainWindow& window, std::function<void()> saveReport) {
    // Closed documents leave empty pointers; dropping them keeps the list to the open windows.
    m_windows.removeIf([](const QPointer<QMainWindow>& gone) { return gone.isNull(); });
    m_windows.append(&window);
    auto* document = qobject_cast<DocumentWindow*>(&window);
    InspectorView* view = document ? &document->inspectorView() : nullptr;
    if (view)
        saveReport = [view] { view->saveReport(); };
    // The inspector's own commands; a text field with the focus takes their keys itself.
    auto* commands = new MenuCommands(window, view, std::move(saveReport));

    QMenu* file = window.menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open…"), QKeySequence::Open, this,
                    [this, &window] { openFiles(&window); });
    addOpenRecentMenu(*file, window);
    file->addAction(tr("&New Window"), QKeySequence::New, this, &AppDelegate::newDocument);
    file->addSeparator();
    commands->addFileItems(*file);
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, &window, &QWidget::close);
    QAction* quit =
        file->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::closeAllWindows);
    quit->setMenuRole(QAction::QuitRole);

    commands->addEditItems(*window.menuBar()->addMenu(tr("&Edit")));
    if (view)
        window.menuBar()
            ->addMenu(tr("&View"))
            ->addAction(tr("&Reload"), QKeySequence::Refresh, view, &InspectorView::reload);

    QMenu* windows = window.menuBar()->addMenu(tr("&Window"));
    windows->addAction(tr("&Compare…"), QKeySequence(tr("Ctrl+Shift+C")), this,
                       &AppDelegate::openCompare);
    windows->addAction(tr("C&rawler…"), QKeySequence(tr("Ctrl+Shift+R")), this,
                       &AppDelegate::openCrawler);
    // Not Ctrl+Shift+S: that is Save As nearly everywhere, and this window removes attributes.
    windows->addAction(tr("&Stripper…"), stripperShortcut(), this, &AppDelegate::openStripper);
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

QKeySequence AppDelegate::stripperShortcut() {
    return QKeySequence(tr("Ctrl+Shift+X"));
}

// The list is read when the menu opens, so every window's menu shows what any window opened.
void AppDelegate::addOpenRecentMenu(QMenu& file, QMainWindow& window) {
    QMenu* recent = file.addMenu(tr("Open &Recent"));
    connect(recent, &QMenu::aboutToShow, this,
            [this, recent, &window] { fillOpenRecentMenu(*recent, window); });
}

void AppDelegate::fillOpenRecentMenu(QMenu& recent, QMainWindow& window) {
    recent.clear();
    QSettings settings;
    const QStringList paths = RecentFiles::paths(settings);
    for (const QString& path : paths) {
        QAction* item = recent.addAction(menuTitle(displayName(nativePath(path))), this,
                                         [this, path, &window] { openFrom(&window, path); });
        // Kept, not dropped: a file on a drive that is not mounted now comes back later.
        item->setEnabled(RecentFiles::exists(path));
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
