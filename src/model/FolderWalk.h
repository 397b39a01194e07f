#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

namespace palvorn {

class FolderStream;
class WalkProgress;

// The deep walk below a folder: depth first, a folder's contents right after the folder itself,
// each folder's entries in the order the system lists them, hidden items and package contents
// included. The folder itself is not visited. Symbolic links are visited as items but never
// followed. Every folder is opened relative to its parent's descriptor without following a link,
// and items are handed over as that descriptor and their own name, so that no call depends on a
// full path: the tree may change during the walk and items may lie at any depth.
class FolderWalk {
public:
    struct Item {
        const QByteArray& path; // the full path, for reports only: never passed to the system
        int folderFd;           // the open folder that holds the item
        const char* name;       // the item's name in that folder
        bool isSymbolicLink;
    };

    using Visitor = std::function<void(const Item& item)>;
    // A folder below the start whose contents could not be read, and the system's text; may be
    // empty where the caller reports nothing of folders.
    using ErrorSink = std::function<void(const QByteArray& path, const QString& reason)>;

    struct Options {
        const std::atomic_bool* stop = nullptr; // once set, the walk ends at the next item
        WalkProgress* progress = nullptr;
        bool oneFileSystem = false; // as find -xdev: mount points are items, not descended
        // Threads of the walks that run on several (ParallelFolderWalk); 0: one per core.
        int threads = 0;
        // Called with each folder's path once it is open, before its entries are read (on the
        // thread that reads them).
        std::function<void(const QByteArray& folderPath)> folderEntered;
    };

    // False, with "PATH: REASON" in error, when the folder itself cannot be walked (missing, not
    // a folder, no permission).
    static bool walk(const QString& folder, const Visitor& visit, const ErrorSink& onError,
                     const Options& options, QString* error);

    // The folder given, opened as the kernel resolves it, and its path as items begin with it.
    // None, with "PATH: REASON" in error, when it cannot be opened as a folder.
    static std::unique_ptr<FolderStream> openStart(const QString& folder, QByteArray* path,
                                                   QString* error);

    static bool stopped(const Options& options) {
        return options.stop && options.stop->load(std::memory_order_relaxed);
    }
};

} // namespace palvorn
