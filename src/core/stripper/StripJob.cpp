#include "core/stripper/StripJob.h"

#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace palvorn {

namespace {

// A name is tried this many times before giving up: only as many strips in the same second.
constexpr int maxAttempts = 1000;

} // namespace

Result<QString> StripJob::reserveFile(const QString& restoreFolder, const QDateTime& now) {
    if (!QDir().mkpath(restoreFolder))
        return failure(Error({}, QStringLiteral("the folder for restore files cannot be made"),
                             restoreFolder));
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
        if (file.error() != QFileDevice::OpenError || !QFileInfo::exists(path))
            return failure(Error({}, file.errorString(), path));
    }
    return failure(Error({}, QStringLiteral("every name for this second is taken"),
                         stem + QStringLiteral(".dump")));
}

bool StripJob::Outcome::succeeded() const {
    return result && result->errors.isEmpty() && !result->stopped && !result->restoreFailure &&
           !result->restoreNotCleaned;
}

QString StripJob::Outcome::errorText() const {
    const QString line = result.error().lineText();
    return restoreFileAsked ? line + QStringLiteral("; nothing was removed") : line;
}

QString StripJob::Outcome::text() const {
    if (result)
        return StripWalk::report(*result);
    return restoreFileAsked ? errorText() + u'\n' : errorText();
}

StripJob::Outcome StripJob::run(const Request& request, const FolderWalk::Options& options,
                                const WalkErrors::LineSink& onError) {
    Outcome outcome;
    const bool reserving = !request.restoreFolder.isEmpty();
    outcome.restoreFileAsked = reserving || !request.restoreFile.isEmpty();
    QString restoreFile = request.restoreFile;
    if (reserving) {
        const Result<QString> reserved = reserveFile(request.restoreFolder, request.now);
        if (!reserved) {
            outcome.result = failure(reserved.error());
            return outcome;
        }
        restoreFile = *reserved;
    }
    Result<StripWalk::Result>& result = outcome.result;
    result = StripWalk::run(request.folderPath, request.type, options, onError, restoreFile);
    // A strip that removed nothing needs no restore file of its own: the empty file reserved
    // above (or put in its place), no one else's, is taken away. One the user named stays.
    if (reserving && (!result || result->removed == 0) && QFileInfo(restoreFile).size() == 0 &&
        QFile::remove(restoreFile) && result)
        result->restoreNamed = false;
    return outcome;
}

} // namespace palvorn
