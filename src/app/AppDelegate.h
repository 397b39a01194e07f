#pragma once

#include "app/Storyboard.h"
#include "platform/DocumentController.h"
#include "platform/Platform.h"

#include <memory>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QAction;
class QMainWindow;
class QMenu;
class QOperatingSystemVersion;
class QSettings;

namespace palvorn {

class Document;
class UpdateChecker;

// The application's delegate: registers the interface description "Main", opens documents and
// the auxiliary windows, gives every window the application's menus and starts the update check.
// It is the document controller that windows reach through their Platform.
class AppDelegate : public QObject, public DocumentController {
    Q_OBJECT

public:
    explicit AppDelegate(Platform platform, QObject* parent = nullptr);
    // The tool windows live as long as the delegate.
    ~AppDelegate() override;

    const Storyboard& storyboard() const { return m_storyboard; }

    // Records the running system's release and runs the update check's launch step (the settings
    // are the application's, so the organisation and application names must be set by then).
    void applicationDidFinishLaunching();
    // Release code of the running system: 10 until launch has finished.
    int osVersion() const { return m_osVersion; }
    // macOS 10.x gives x, macOS 11 gives 16, any other release or system 17.
    static int osVersionFor(const QOperatingSystemVersion& version);

    // One document and window per file; an empty URL gives an empty inspector ("palvorn").
    // Every file opened joins File > Open Recent.
    Document* openDocument(const QUrl& url);
    // As openDocument, for a path given as bytes (see ByteText): command-line arguments.
    Document* openDocumentAtPath(const QString& localPath);
    void openDocumentWithContentsOfURL(const QUrl& url) override { openDocument(url); }
    void openDocuments(const QStringList& paths);
    // File > Open: several files or folders at once.
    void openFiles();
    // File > New Window.
    Document* newDocument();

    // The auxiliary windows: a new window on every choice, kept for the rest of the run.
    QMainWindow* openCompare();
    QMainWindow* openStripper();
    QMainWindow* openCrawler();
    QMainWindow* openHelp();
    QMainWindow* openPrivacy();
    // Help > About palvorn: one window, brought to the front on each choice.
    QMainWindow* openAbout();
    const QList<QMainWindow*>& myCompare() const { return m_myCompare; }
    const QList<QMainWindow*>& myStripper() const { return m_myStripper; }
    const QList<QMainWindow*>& myCrawler() const { return m_myCrawler; }
    const QList<QMainWindow*>& myHelpWindow() const { return m_myHelpWindow; }
    const QList<QMainWindow*>& myPrivacy() const { return m_myPrivacy; }

    // The publisher's pages, in the default browser.
    void openSupport();
    void openUpdates();

    // The Help menu's "Update not checked" item: one action shared by every window's menu, so
    // that the update check retitles it everywhere at once.
    QAction* updateCheckedItem() const { return m_updateCheckedItem; }

    void installMenus(QMainWindow& window);
    QList<Document*> documents() const;
    // The windows the Window menu lists: every open one, in the order they were made.
    QList<QMainWindow*> openWindows() const;

private:
    // Shows the new document's window; every file opened joins File > Open Recent.
    Document* showDocument(Document* document);
    void registerMainInterface();
    void addOpenRecentMenu(QMenu& file);
    void fillOpenRecentMenu(QMenu& recent);
    void addWindowList(QMenu& windows);
    void fillWindowList(QMenu& windows);

    Platform m_platform;
    Storyboard m_storyboard{QStringLiteral("Main")};
    int m_osVersion = 10;
    QList<QPointer<Document>> m_documents;
    QList<QMainWindow*> m_myCrawler;
    QList<QMainWindow*> m_myStripper;
    QList<QMainWindow*> m_myCompare;
    QList<QMainWindow*> m_myPrivacy;
    QList<QMainWindow*> m_myHelpWindow;
    QMainWindow* m_aboutWindow = nullptr;
    QList<QPointer<QMainWindow>> m_windows;
    QAction* m_updateCheckedItem;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<UpdateChecker> m_updateChecker;
};

} // namespace palvorn
