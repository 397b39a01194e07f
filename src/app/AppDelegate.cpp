#include "app/AppDelegate.h"

#include "app/HelpViewController.h"
#include "app/PrivacyView.h"
#include "app/PublisherSite.h"
#include "app/ToolWindow.h"
#include "app/UpdateChecker.h"
#include "compare/CompareViewController.h"
#include "crawler/CrawlerViewController.h"
#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "inspector/ViewController.h"
#include "platform/OpenPanel.h"
#include "platform/Workspace.h"
#include "stripper/StripperViewController.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QPlainTextEdit>
#include <QSettings>

namespace palvorn {

namespace {

enum class EditCommand { Cut, Copy, Paste };

template <typename TextWidget> void applyToText(TextWidget& widget, EditCommand command) {
    switch (command) {
    case EditCommand::Cut:
        return widget.cut();
    case EditCommand::Copy:
        return widget.copy();
    case EditCommand::Paste:
        return widget.paste();
    }
}

// Cut, copy and paste act on text where a text field has the focus, and on the selected
// attributes everywhere else in a document window.
void editCommand(QMainWindow& window, EditCommand command) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus); line && window.isAncestorOf(line))
        return applyToText(*line, command);
    if (auto* text = qobject_cast<QPlainTextEdit*>(focus); text && window.isAncestorOf(text))
        return applyToText(*text, command);
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
    }
}

} // namespace

AppDelegate::AppDelegate(Platform platform, QObject* parent)
    : QObject(parent), m_platform(platform),
      m_updateCheckedItem(new QAction(UpdateChecker::notCheckedTitle(), this)) {
    // A mark, not a command: the update check checks and retitles it.
    m_updateCheckedItem->setEnabled(false);
    registerMainInterface();
}

namespace {

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
}

void AppDelegate::applicationDidFinishLaunching() {
    m_osVersion = osVersionFor(QOperatingSystemVersion::current());
    m_settings = std::make_unique<QSettings>();
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
    m_storyboard.registerController(QStringLiteral("Document Window Controller"), [this] {
        auto* window = new DocumentWindow(m_platform);
        connect(&window->viewController(), &ViewController::openDocumentRequested, this,
                &AppDelegate::openDocument);
        installMenus(*window);
        return window;
    });
}

Document* AppDelegate::openDocument(const QUrl& url) {
    auto* document = new Document(url, this);
    DocumentWindow* window = document->makeWindowControllers(m_storyboard);
    m_documents.append(document);
    window->show();
    return document;
}

void AppDelegate::openDocuments(const QStringList& paths) {
    for (const QString& path : paths)
        openDocument(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
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
    QMenu* file = window.menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open…"), QKeySequence::Open, this, &AppDelegate::openFiles);
    file->addAction(tr("&New Window"), QKeySequence::New, this, &AppDelegate::newDocument);
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, &window, &QWidget::close);
    QAction* quit =
        file->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::closeAllWindows);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = window.menuBar()->addMenu(tr("&Edit"));
    // The inspector's own commands; a text field with the focus takes their keys itself.
    auto* document = qobject_cast<DocumentWindow*>(&window);
    ViewController* view = document ? &document->viewController() : nullptr;
    if (view) {
        QAction* undo =
            edit->addAction(tr("&Undo"), QKeySequence::Undo, view, &ViewController::undo);
        QAction* redo =
            edit->addAction(tr("&Redo"), QKeySequence::Redo, view, &ViewController::redo);
        view->followUndoStack(undo, redo);
        edit->addSeparator();
    }
    edit->addAction(tr("Cu&t"), QKeySequence::Cut, &window,
                    [&window] { editCommand(window, EditCommand::Cut); });
    edit->addAction(tr("&Copy"), QKeySequence::Copy, &window,
                    [&window] { editCommand(window, EditCommand::Copy); });
    edit->addAction(tr("&Paste"), QKeySequence::Paste, &window,
                    [&window] { editCommand(window, EditCommand::Paste); });
    if (view) {
        edit->addAction(tr("&Delete"), QKeySequence::Delete, view,
                        &ViewController::removeSelectedAttributes);
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

    QMenu* help = window.menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("palvorn &Help"), QKeySequence::HelpContents, this, &AppDelegate::openHelp);
    help->addAction(tr("&Privacy"), this, &AppDelegate::openPrivacy);
    help->addSeparator();
    help->addAction(tr("palvorn &Support"), this, &AppDelegate::openSupport);
    help->addAction(tr("&Update Notes"), this, &AppDelegate::openUpdates);
    help->addSeparator();
    help->addAction(m_updateCheckedItem);
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
