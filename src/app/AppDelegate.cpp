#include "app/AppDelegate.h"

#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "platform/OpenPanel.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>

namespace palvorn {

AppDelegate::AppDelegate(Platform platform, QObject* parent)
    : QObject(parent), m_platform(platform) {
    registerMainInterface();
}

void AppDelegate::registerMainInterface() {
    m_storyboard.registerController(QStringLiteral("Document Window Controller"), [this] {
        auto* window = new DocumentWindow(m_platform);
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
