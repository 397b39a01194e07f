#pragma once

#include "model/FolderWalk.h"

#include <QString>

namespace palvorn {

// What a strip is about to remove, written before it removes anything: a dump (base64 values)
// that palvorn-cli restore or setfattr --restore puts back. The file is written whole or not at
// all (QSaveFile); when it cannot be written, or the walk is stopped first, the strip must not
// start. The backup walk reads what the strip's walk will then remove; given the file, the
// strip's walk removes only the values it holds (see StripWalk::run).
class StripBackup {
public:
    struct Result {
        qint64 saved = 0;
        QString error; // empty when the file was written
    };

    static Result write(const QString& folderPath, const QString& type,
                        const FolderWalk::Options& options, const QString& backupPath);

    // The line a strip's report ends with: where its restore file is.
    static QString reportLine(const QString& backupPath, qint64 saved);
};

} // namespace palvorn
