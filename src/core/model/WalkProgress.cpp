#include "core/model/WalkProgress.h"

#include "core/model/AttributeName.h"

#include <algorithm>

#include <QMutexLocker>

namespace palvorn {

void WalkProgress::enterFolder(const QByteArray& path) {
    const QMutexLocker lock(&m_mutex);
    // A copy of the bytes into the buffer kept here: sharing the walk's own path buffer would make
    // the walk copy it again at its next item.
    m_folder.resize(path.size());
    std::copy(path.cbegin(), path.cend(), m_folder.begin());
}

QByteArray WalkProgress::folder() const {
    const QMutexLocker lock(&m_mutex);
    return m_folder;
}

QString WalkProgress::text() const {
    return QStringLiteral("%1 items, in ").arg(items()) + displayName(folder());
}

} // namespace palvorn
