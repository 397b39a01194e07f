#include "core/app/AppResources.h"

#include "core/app/BuildSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace palvorn {

QStringList AppResources::searchFolders(const QString& executableFolder) {
    const QDir folder(executableFolder);
    return {QDir::cleanPath(folder.absolutePath()),
            QDir::cleanPath(folder.absoluteFilePath(BuildSettings::documentationFromExecutables))};
}

QStringList AppResources::searchFolders() {
    return searchFolders(QCoreApplication::applicationDirPath());
}

std::optional<QString> AppResources::pathForResource(const QString& name, const QString& extension,
                                                     const QStringList& folders) {
    const QString fileName = name + u'.' + extension;
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder), fileName);
        // A folder of that name is not the resource.
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return std::nullopt;
}

std::optional<QString> AppResources::pathForResource(const QString& name,
                                                     const QString& extension) {
    return pathForResource(name, extension, searchFolders());
}

} // namespace palvorn
