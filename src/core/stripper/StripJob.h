#pragma once

#include "core/model/Error.h"
#include "core/model/FolderWalk.h"
#include "core/model/WalkErrors.h"
#include "core/stripper/StripWalk.h"

#include <optional>

#include <QDateTime>
#include <QString>

namespace palvorn {

// One strip from what was asked to its outcome, the same for the stripper window and
// palvorn-cli: where the removed values are kept, and what is left to say when nothing could be
// removed.
class StripJob {
public:
    struct Request {
        QString folderPath;
        QString type; // as typed (ByteText)
        // Where every removed value is kept, if anywhere: a file the user named (palvorn-cli's
        // --backup, made or replaced)...
        QString restoreFile;
        // ...or a new file of the strip's own in this folder, named after now (reserveFile): the
        // window's "Keep a restore file".
        QString restoreFolder;
        QDateTime now;
    };

    struct Outcome {
        // An error when nothing could be stripped.
        Result<StripWalk::Result> result;
        bool restoreFileAsked = false;

        // Why nothing could be stripped: "PATH: REASON", followed by "; nothing was removed" when
        // a restore file was asked for.
        QString errorText() const;
        // Every value of the type removed, and every one of them in the restore file if asked.
        bool succeeded() const;
        // What the window shows: the report (StripWalk::report), or why there is none. Like the
        // report, the failure of a strip that kept a restore file ends its line.
        QString text() const;
    };

    // A new, empty file in restoreFolder (made if missing), named after the time, "strip-
    // YYYYMMDD-HHMMSS.dump", or with "-2", "-3"... when that name is taken: a file that exists is
    // never written over. An error naming the folder or file when none can be made.
    static Result<QString> reserveFile(const QString& restoreFolder, const QDateTime& now);

    // Strips (StripWalk::run), with the restore file asked for, so that every value removed is in
    // it. When that file cannot be made or written before anything is removed, nothing is
    // removed; a file reserved in the restore folder that is still empty when nothing was
    // removed is taken away again, and the report then names none.
    static Outcome run(const Request& request, const FolderWalk::Options& options,
                       const WalkErrors::LineSink& onError);
};

} // namespace palvorn
