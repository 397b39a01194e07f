#pragma once

#include "core/model/FolderWalk.h"
#include "core/model/WalkErrors.h"

#include <QDateTime>
#include <QString>

namespace palvorn {

// A strip that keeps what it removes in a new restore file of its own: the stripper window's run
// with "Keep a restore file".
class BackedUpStrip {
public:
    // A new, empty file in restoreFolder (made if missing), named after the time, "strip-
    // YYYYMMDD-HHMMSS.dump", or with "-2", "-3"... when that name is taken: a file that exists is
    // never written over. Empty, with "PATH: REASON" in error, when none can be made.
    static QString reserveFile(const QString& restoreFolder, const QDateTime& now, QString* error);

    // Reserves a restore file and strips with it (StripWalk::run), so that every value removed is
    // in it. The report is the strip's, ending with the restore file's place. When the file
    // cannot be made or written before anything is removed, nothing is removed and the report
    // says so; the reserved file, still empty when nothing was removed, is taken away again.
    static QString run(const QString& folderPath, const QString& type,
                       const FolderWalk::Options& options, const WalkErrors::LineSink& onError,
                       const QString& restoreFolder, const QDateTime& now);
};

} // namespace palvorn
