#include "model/WalkProgress.h"

#include <QFile>
#include <QMutexLocker>

namespace palvorn {

void WalkProgress::enterFolder(const QByteArray& path) {
    const QMutexLocker lock(&m_mutex);
    m_folder = path;
}

QByteArray WalkProgress::folder() const {
    const QMutexLocker lock(&m_mutex);
    return m_folder;
}

QString WalkProgress::text() const {
    return QStringLiteral("%1 items, in ").arg(items()) + QFile::decodeName(folder());
}

} // namespace palvorn
