#include "gui/inspector/Document.h"

#include "core/platform/Platform.h"
#include "gui/inspector/DocumentWindow.h"
#include "gui/inspector/InspectorView.h"

namespace palvorn {

Document::Document(QUrl fileUrl, QObject* parent)
    : QObject(parent), m_fileUrl(std::move(fileUrl)), m_localPath(m_fileUrl.toLocalFile()) {}

Document* Document::atPath(const QString& localPath, QObject* parent) {
    auto* document = new Document(QUrl::fromLocalFile(localPath), parent);
    document->m_localPath = localPath;
    return document;
}

void Document::setLocalPath(const QString& localPath) {
    m_fileUrl = QUrl::fromLocalFile(localPath);
    m_localPath = localPath;
}

DocumentWindow* Document::makeWindow(Platform platform) {
    m_window = new DocumentWindow(platform);
    m_window->inspectorView().setDocument(this);
    connect(m_window, &QObject::destroyed, this, &QObject::deleteLater);
    return m_window;
}

} // namespace palvorn
