#include "core/app/RecentFiles.h"

#include "core/model/ByteText.h"
#include "core/model/XattrAccess.h"

#include <sys/stat.h>

#include <QSettings>

namespace palvorn {

namespace {

// One entry as stored: bytes, or the text an older version kept.
QString pathOf(const QVariant& entry) {
    if (entry.typeId() == QMetaType::QByteArray)
        return ByteText::decode(entry.toByteArray());
    return entry.toString();
}

} // namespace

QString RecentFiles::key() {
    return QStringLiteral("recentFiles");
}

QStringList RecentFiles::paths(const QSettings& settings) {
    const QVariant value = settings.value(key());
    // A list of one entry comes back from the settings file as that entry alone.
    const QVariantList entries =
        value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList
            ? value.toList()
            : QVariantList{value};
    QStringList paths;
    // The settings file may have been edited by hand: empty and repeated entries are skipped.
    for (const QVariant& entry : entries) {
        if (paths.size() == maxCount)
            break;
        const QString path = entry.isValid() ? pathOf(entry) : QString();
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
    QVariantList stored;
    for (const QString& kept : std::as_const(list))
        stored.append(ByteText::encode(kept));
    settings.setValue(key(), stored);
}

void RecentFiles::clear(QSettings& settings) {
    settings.remove(key());
}

bool RecentFiles::exists(const QString& path) {
    struct stat status = {};
    return ::stat(nativePath(path).constData(), &status) == 0;
}

} // namespace palvorn
