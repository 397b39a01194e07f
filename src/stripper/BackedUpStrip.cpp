#include "stripper/BackedUpStrip.h"

#include "model/AttributeName.h"
#include "model/FolderText.h"
#include "model/XattrAccess.h"
#include "stripper/StripBackup.h"
#include "stripper/StripWalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace palvorn {

namespace {

// A name is tried this many times before giving up: only as many strips in the same second.
constexpr int maxAttempts = 1000;

QString shown(const QString& path) {
    return displayName(nativePath(path));
}

} // namespace

QString BackedUpStrip::reserveFile(const QString& restoreFolder, const QDateTime& now,
                                   QString* error) {
    if (!QDir().mkpath(restoreFolder)) {
        *error =
            shown(restoreFolder) + QStringLiteral(": the folder for restore files cannot be made");
        return {};
    }
    const QString stem =
        QDir(restoreFolder)
            .filePath(QStringLiteral("strip-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        const QString path = stem +
                             (attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)) +
                             QStringLiteral(".dump");
        QFile file(path);
        // NewOnly: the name is ours only if this call made the file.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (file.error() != QFileDevice::OpenError || !QFileInfo::exists(path)) {
            *error = shown(path) + QStringLiteral(": ") + file.errorString();
            return {};
        }
    }
    *error = shown(stem) + QStringLiteral(".dump: every name for this second is taken");
    return {};
}

QString BackedUpStrip::run(const QString& folderPath, const QString& type,
                           const FolderWalk::Options& options, const WalkErrors::LineSink& onError,
                           const QString& restoreFolder, const QDateTime& now) {
    const QString nothingRemoved = QStringLiteral("; nothing was removed\n");
    QString error;
    const QString backupPath = reserveFile(restoreFolder, now, &error);
    if (backupPath.isEmpty())
        return error + nothingRemoved;
    // Absolute paths in the file, so that it restores from any folder.
    const StripBackup::Result backup =
        StripBackup::write(FolderText::absolutePath(folderPath), type, options, backupPath);
    if (!backup.error.isEmpty()) {
        // Still the empty file reserved above: no one else's, and nothing in it.
        if (QFileInfo(backupPath).size() == 0)
            QFile::remove(backupPath);
        return backup.error + nothingRemoved;
    }
    const std::optional<StripWalk::Result> result =
        StripWalk::run(folderPath, type, options, onError, &error, backupPath);
    if (!result)
        return error + QStringLiteral("\n") + StripBackup::reportLine(backupPath, backup.saved);
    return StripWalk::report(*result) + StripBackup::reportLine(backupPath, backup.saved);
}

} // namespace palvorn
