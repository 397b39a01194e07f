#pragma once

#include <atomic>
#include <functional>

#include <QByteArray>
#include <QString>

namespace palvorn {

// The deep walk below a folder: depth first, a folder's contents right after the folder itself,
// each folder's entries in the order the system lists them, hidden items and package contents
// included. The folder itself is not visited. Symbolic links are visited as items but never
// followed. Built on openat and readdir so that big trees cost little more than the system calls.
class FolderWalk {
public:
    struct Item {
        const QByteArray& path; // the item's full path in its file-system representation
        bool isSymbolicLink;
    };

    using Visitor = std::function<void(const Item& item)>;
    // The system's text for a folder below the start whose contents could not be read.
    using ErrorSink = std::function<void(const QString& text)>;

    // False, with the system's text in error, when the folder itself cannot be walked (missing,
    // not a folder, no permission). A set stop flag ends the walk at the next item.
    static bool walk(const QString& folder, const Visitor& visit, const ErrorSink& onError,
                     const std::atomic_bool* stop, QString* error);
};

} // namespace palvorn
