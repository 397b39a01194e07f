#pragma once

#include <QObject>
#include <QUrl>

namespace palvorn {

class DocumentWindow;
struct Platform;

// One opened file. It reads nothing itself: its window's inspector loads the file each time it is
// shown.
class Document : public QObject {
    Q_OBJECT

public:
    explicit Document(QUrl fileUrl, QObject* parent = nullptr);
    // For a path given as bytes (see ByteText), which a URL cannot carry unchanged.
    static Document* atPath(const QString& localPath, QObject* parent = nullptr);

    const QUrl& fileUrl() const { return m_fileUrl; }
    // The file's path with every byte kept; empty without a file.
    const QString& localPath() const { return m_localPath; }
    // The file an empty document takes when it is chosen from its own window's menu.
    void setLocalPath(const QString& localPath);
    const QString& displayName() const { return m_displayName; }
    void setDisplayName(const QString& name) { m_displayName = name; }

    // Makes the document's window; the document lives as long as its window.
    DocumentWindow* makeWindow(Platform platform);
    DocumentWindow* window() const { return m_window; }

private:
    QUrl m_fileUrl;
    QString m_localPath;
    QString m_displayName;
    DocumentWindow* m_window = nullptr;
};

} // namespace palvorn
