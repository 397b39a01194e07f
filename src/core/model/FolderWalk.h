#pragma once

#include "core/model/Error.h"

#include <atomic>
#include <functional>

#include <QByteArray>
#include <QString>

namespace palvorn {

class WalkProgress;

// What every deep walk below a folder shares (ParallelFolderWalk is the walk itself): how an item
// is handed over, how the walk is steered, and how it begins.
class FolderWalk {
public:
    class Item {
    public:
        Item(const QByteArray& folderPath, int fd, const char* itemName, bool isLink,
             QByteArray& pathBuffer)
            : folderFd(fd), name(itemName), isSymbolicLink(isLink), m_folderPath(folderPath),
              m_pathBuffer(pathBuffer) {}

        // The full path, for reports only: never passed to the system. Made when first asked
        // for, in a buffer that the next item reuses: most items never need theirs.
        const QByteArray& path() const {
            if (!m_pathMade) {
                m_pathBuffer.resize(0);
                m_pathBuffer.append(m_folderPath).append('/').append(name);
                m_pathMade = true;
            }
            return m_pathBuffer;
        }

        const int folderFd;     // the open folder that holds the item
        const char* const name; // the item's name in that folder
        const bool isSymbolicLink;

    private:
        const QByteArray& m_folderPath;
        QByteArray& m_pathBuffer;
        mutable bool m_pathMade = false;
    };

    // A folder below the start whose contents could not be read, and the system's text; may be
    // empty where the caller reports nothing of folders.
    using ErrorSink = std::function<void(const QByteArray& path, const QString& reason)>;

    struct Options {
        const std::atomic_bool* stop = nullptr; // once set, the walk ends at the next item
        WalkProgress* progress = nullptr;
        bool oneFileSystem = false; // as find -xdev: mount points are items, not descended
        // Threads of the walk; 0: one per core.
        int threads = 0;
    };

    // The folder given, opened as the kernel resolves it (a descriptor the caller owns), and its
    // path as items begin with it. An error whose text is "PATH: REASON" when it cannot be opened
    // as a folder.
    static Result<int> openStart(const QString& folder, QByteArray* path);

    static bool stopped(const Options& options) {
        return options.stop && options.stop->load(std::memory_order_relaxed);
    }
};

} // namespace palvorn
