#pragma once

#include "core/model/Error.h"
#include "core/model/FolderWalk.h"
#include "core/model/WalkErrors.h"

#include <optional>

#include <QString>
#include <QStringList>

namespace palvorn {

class StripJournal;

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
        // With a restore file: where it is, and whether it took that name (it did once anything
        // was removed); why it could not be written to the end (the strip stopped there); why the
        // values written and then kept could not be taken out of it again.
        QString restoreFile;
        bool restoreNamed = false;
        std::optional<Error> restoreFailure;
        std::optional<Error> restoreNotCleaned;
    };

    // On each item, the one name the type means (NameMatcher) is read and removed. A failing
    // listing, read or removal is kept as "PATH: REASON" in the result's errors, shown through
    // onError as it happens, and the walk goes on. An error whose text is "PATH: REASON" when the
    // folder cannot be walked at all.
    //
    // With a restore file (see RestoreFile), the walk is the same and journals before it
    // removes: each part of a folder appends the values it will remove to the file and writes
    // them through to the disk; then each value is read again right before it is removed, on the
    // same thread and through the same folder descriptor, and a value that changed meanwhile is
    // kept and reported. So every value removed is in the file. When the file cannot be written,
    // the strip stops there (restoreFailure); what it removed before is in the file. An error
    // naming the file when it cannot be made at all; nothing is removed then.
    static palvorn::Result<Result> run(const QString& folderPath, const QString& type,
                                       const FolderWalk::Options& options,
                                       const WalkErrors::LineSink& onError,
                                       const QString& restoreFile = {});
    // The same strip, journaling into journal (the restore file the one above opens and finishes,
    // or a test's).
    static palvorn::Result<Result> run(const QString& folderPath, const QString& type,
                                       const FolderWalk::Options& options,
                                       const WalkErrors::LineSink& onError, StripJournal& journal);

    // "Stripped N xattrs of type T from M files in  PATH\n\n" and one line per removal; then, only
    // where they apply, that the walk was stopped, the errors, and the restore file.
    static QString report(const Result& result);
};

} // namespace palvorn
