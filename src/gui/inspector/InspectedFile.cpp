#include "gui/inspector/InspectedFile.h"

#include "core/model/AttributeName.h"
#include "core/model/ResourceList.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace palvorn {

namespace {

// Another program's write often comes as several notices; one reload answers them all.
constexpr int reloadDelayMs = 250;

} // namespace

InspectedFile::InspectedFile(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_quietTimer(new QTimer(this)) {
    m_quietTimer->setSingleShot(true);
    m_quietTimer->setInterval(reloadDelayMs);
    // The first notice starts the wait and later ones join it: a file written without pause
    // still reloads a few times a second, never starved.
    const auto startWait = [this] {
        if (!m_quietTimer->isActive())
            m_quietTimer->start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, startWait);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, startWait);
    connect(m_quietTimer, &QTimer::timeout, this, &InspectedFile::changedElsewhere);
}

InspectedFile::~InspectedFile() = default;

void InspectedFile::setPath(const QString& path) {
    m_path = path;
    // Names and paths are bytes: shown as names are, each byte that is not UTF-8 as \xHH.
    m_fileName = displayName(nativePath(QFileInfo(m_path).fileName()));
    m_hasFile = true;
    m_attributes.reset();
}

QList<Error> InspectedFile::load() {
    m_attributes = std::make_unique<ResourceList>(ResourceList::ofPath(m_path));
    watch();
    return m_attributes->failures();
}

void InspectedFile::forget() {
    m_attributes.reset();
}

// The watch follows the path: a file replaced by another program's save is watched again.
void InspectedFile::watch() {
    if (m_watcher->files().contains(m_path) || m_watcher->directories().contains(m_path))
        return;
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    if (QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
}

} // namespace palvorn
