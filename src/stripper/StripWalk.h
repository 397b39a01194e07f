#pragma once

#include "model/FolderWalk.h"

#include <atomic>
#include <optional>

#include <QString>
#include <QStringList>

namespace palvorn {

// Removes every attribute of one name from all items below a folder and reports each removal.
class StripWalk {
public:
    struct Result {
        QString folderPath;
        QString type; // as typed; the report quotes it unchanged
        qint64 removed = 0;
        qint64 itemsWalked = 0;
        QStringList removals; // "PATH: SIZE  bytes." per removed attribute
    };

    // Failing listings, reads and removals hand their system text to onError and the walk goes
    // on. None, with the system's text in error, when the folder cannot be walked at all.
    static std::optional<Result> run(const QString& folderPath, const QString& type,
                                     const FolderWalk::ErrorSink& onError,
                                     const std::atomic_bool* stop, QString* error);

    // "Stripped N xattrs of type T from M files in  PATH\n\n" and one line per removal.
    static QString report(const Result& result);
};

} // namespace palvorn
