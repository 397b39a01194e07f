#pragma once

#include "core/platform/DocumentController.h"
#include "core/platform/Platform.h"

#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QAction;
class QKeySequence;
class QMainWindow;
class QMenu;
class QOperatingSystemVersion;
class QSettings;

namespace palvorn {

class Document;
class UpdateChecker;

// The application's delegate: opens documents and the auxiliary windows, gives every window the
// application's menus and starts the update check.
// It is the document controller that windows reach through their Platform.
class AppDelegate : public QObject, public DocumentController {
    Q_OBJECT

public:
    explicit AppDelegate(Platform platform, QObject* parent = nullptr);
    // The tool windows live as long as the delegate.
    ~AppDelegate() override;

    // Records the running system's release and runs the update check's launch step (the settings
    // are the application's, so the organisation and application names must be set by then).
    void applicationDidFinishLaunching();
    // Release code of the running system: 10 until launch has finished.
    int osVersion() const { return m_osVersion; }
    // macOS 10.x gives x, macOS 11 gives 16, any other release or system 17.
    static int osVersionFor(const QOperatingSystemVersion& version);

    // One document and window per file; an empty path gives an empty inspector ("palvorn").
    // Every file opened joins File > Open Recent. Paths are bytes (see ByteText).
    Document* openDocumentAtPath(const QString& localPath);
    Document* openDocument(const QUrl& url);
    void openDocumentWithContentsOfURL(const QUrl& url) override { openDocument(url); }
    // The command line's paths, relative ones in the current folder.
    void openDocuments(const QStringList& paths);
    // File > Open: several files or folders at once. The window it was chosen in, when it is an
    // empty inspector, takes the first of them.
    void openFiles(QMainWindow* from = nullptr);
    // A path opened from a window's menu: in that window when it is an empty inspector, else in a
    // new one.
    Document* openFrom(QMainWindow* from, const QString& path);
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

    // saveReport: File > Save Report… of a tool window with a report (an inspector has its own).
    void installMenus(QMainWindow& window, std::function<void()> saveReport = {});
    // Window > Stripper…: a key no common command uses.
    static QKeySequence stripperShortcut();
    QList<Document*> documents() const;
    // The windows the Window menu lists: every open one, in the order they were made.
    QList<QMainWindow*> openWindows() const;

private:
    // Shows the new document's window; every file opened joins File > Open Recent.
    Document* showDocument(Document* document);
    void addRecentFile(const QString& path);
    // A window around a tool's own controller, with the application's menus.
    QMainWindow* toolWindow(QWidget* controller);
    // The windows with a report: File > Save Report… saves it as their Save button does.
    template <typename Controller>
    QMainWindow* reportWindow(Controller* controller);
    void addOpenRecentMenu(QMenu& file, QMainWindow& window);
    void fillOpenRecentMenu(QMenu& recent, QMainWindow& window);
    void addWindowList(QMenu& windows);
    void fillWindowList(QMenu& windows);

    Platform m_platform;
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
