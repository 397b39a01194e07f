#pragma once

#include "app/Storyboard.h"
#include "platform/Platform.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QMainWindow;

namespace palvorn {

class Document;

// The application's delegate: registers the interface description "Main", opens documents and
// gives every window the application's menus.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(Platform platform, QObject* parent = nullptr);
    // The tool windows live as long as the delegate.
    ~AppDelegate() override;

    const Storyboard& storyboard() const { return m_storyboard; }

    // One document and window per file; an empty URL gives an empty inspector ("palvorn").
    Document* openDocument(const QUrl& url);
    void openDocuments(const QStringList& paths);
    // File > Open: several files or folders at once.
    void openFiles();
    // File > New Window.
    Document* newDocument();

    // Window > Compare, Window > Stripper: a new window on every choice, kept for the run.
    QMainWindow* openCompare();
    QMainWindow* openStripper();
    QMainWindow* openCrawler();
    const QList<QMainWindow*>& myCompare() const { return m_myCompare; }
    const QList<QMainWindow*>& myStripper() const { return m_myStripper; }
    const QList<QMainWindow*>& myCrawler() const { return m_myCrawler; }

    void installMenus(QMainWindow& window);
    QList<Document*> documents() const;

private:
    void registerMainInterface();

    Platform m_platform;
    Storyboard m_storyboard{QStringLiteral("Main")};
    QList<QPointer<Document>> m_documents;
    QList<QMainWindow*> m_myCompare;
    QList<QMainWindow*> m_myStripper;
    QList<QMainWindow*> m_myCrawler;
};

} // namespace palvorn
