#pragma once

#include "model/FolderWalk.h"
#include "model/WalkErrors.h"

#include <optional>

#include <QString>
#include <QStringList>

namespace palvorn {

// Removes every attribute of one name from all items below a folder and reports each removal.
class StripWalk {
public:
    struct Result {
        QString folderPath;
        QString type; // as typed (ByteText); the report shows it as displayName does
        qint64 removed = 0;
        qint64 itemsWalked = 0;
        QStringList removals; // "PATH: SIZE  bytes." per removed attribute
        bool stopped = false; // ended by Stop, closing or quitting before the last item
        WalkErrors errors;
    };

    // On each item, the one name the type means (NameMatcher) is read and removed. A failing
    // listing, read or removal is kept as "PATH: REASON" in the result's errors, shown through
    // onError as it happens, and the walk goes on. None, with "PATH: REASON" in error, when the
    // folder cannot be walked at all.
    //
    // With a restore file (StripBackup's, written by a walk in the same order), only what it
    // holds is removed: it is read alongside the walk, one entry at a time, and an item whose
    // name is not the next entry's, or whose value is no longer the entry's, keeps its attribute
    // and is an error. None, with the file and its reason in error, when it cannot be opened.
    static std::optional<Result> run(const QString& folderPath, const QString& type,
                                     const FolderWalk::Options& options,
                                     const WalkErrors::LineSink& onError, QString* error,
                                     const QString& restoreFile = {});

    // "Stripped N xattrs of type T from M files in  PATH\n\n" and one line per removal; then, only
    // where they apply, that the walk was stopped and the errors.
    static QString report(const Result& result);
};

} // namespace palvorn
