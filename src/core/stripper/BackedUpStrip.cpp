#include "core/stripper/BackedUpStrip.h"

#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"
#include "core/stripper/StripWalk.h"

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
    std::optional<StripWalk::Result> result =
        StripWalk::run(folderPath, type, options, onError, &error, backupPath);
    if (!result)
        error += nothingRemoved;
    // A strip that removed nothing needs no restore file: the empty file reserved above (or put
    // in its place), no one else's, is taken away.
    if ((!result || result->removed == 0) && QFileInfo(backupPath).size() == 0 &&
        QFile::remove(backupPath) && result)
        result->restoreNamed = false;
    return result ? StripWalk::report(*result) : error;
}

} // namespace palvorn
