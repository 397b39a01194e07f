#include "app/RecentFiles.h"

#include <QSettings>

namespace palvorn {

QString RecentFiles::key() {
    return QStringLiteral("recentFiles");
}

QStringList RecentFiles::paths(const QSettings& settings) {
    QStringList paths;
    // The settings file may have been edited by hand: empty and repeated entries are skipped.
    for (const QString& path : settings.value(key()).toStringList()) {
        if (paths.size() == maxCount)
            break;
        if (!path.isEmpty() && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

void RecentFiles::add(QSettings& settings, const QString& path) {
    if (path.isEmpty())
        return;
    QStringList list = paths(settings);
    list.removeAll(path);
    list.prepend(path);
    if (list.size() > maxCount)
        list.resize(maxCount);
    settings.setValue(key(), list);
}

void RecentFiles::clear(QSettings& settings) {
    settings.remove(key());
}

} // namespace palvorn
