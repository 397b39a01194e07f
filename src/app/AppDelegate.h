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

    const Storyboard& storyboard() const { return m_storyboard; }

    // One document and window per file; an empty URL gives an empty inspector ("palvorn").
    Document* openDocument(const QUrl& url);
    void openDocuments(const QStringList& paths);
    // File > Open: several files or folders at once.
    void openFiles();
    // File > New Window.
    Document* newDocument();

    void installMenus(QMainWindow& window);
    QList<Document*> documents() const;

private:
    void registerMainInterface();

    Platform m_platform;
    Storyboard m_storyboard{QStringLiteral("Main")};
    QList<QPointer<Document>> m_documents;
};

} // namespace palvorn
