#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace palvorn {

// Reaches an item by its path the way a walk reaches it, so that writing on it cannot be led
// elsewhere by a link: from the path's first folder ("/", or the current folder for a relative
// path) each folder on the way is opened relative to the one before without following a link,
// and the item is then named by its open folder and its own name, for the calls of
// FolderXattrAccess, which act on the item itself, a link included. A link before the last
// component ends the way. A path that ends with "/" names a folder, so its last component must
// be a folder too, not a link. ".." goes to the parent of the folder actually reached (the kernel
// never resolves it by the text), and as no link is ever followed, it cannot lead out through one.
// Where the kernel has openat2, the folder is opened in that one call, told to follow no link on
// the whole way (RESOLVE_NO_SYMLINKS); the folders are opened one by one where it has not, and
// where the call fails, to name the link or the component that ended the way.
//
// Descriptors: at most openKept + 2. The folder of the item last reached stays open, and so do
// the folders of the items before it that lie on the way down to it, so that the next item of
// one of them needs no system call to reach, and a folder below one of them is opened from the
// nearest by the rest of its path alone: a dump lists a tree folder by folder, going down and
// coming back up, and resolving every folder's whole path from "/" cost more than setfattr's
// calls by path. The way from "/" one folder at a time holds the folder it is in and the next.
class NoFollowPath {
public:
    NoFollowPath() = default;
    NoFollowPath(const NoFollowPath&) = delete;
    NoFollowPath& operator=(const NoFollowPath&) = delete;
    ~NoFollowPath();

    // Opens the folders up to path's item. When it cannot be reached, the error's reason is why
    // not: the system's text for the component where the way ended, or the link that ended it.
    Result<> reach(const QByteArray& path);

    // The folder that holds the item last reached, and the item's name in it ("." for a path
    // naming a folder with a trailing "/", or "/" itself).
    int folderFd() const { return m_folderFd; }
    const char* itemName() const { return m_itemName.constData(); }

    static constexpr qsizetype openKept = 8;

private:
    struct OpenFolder {
        // The text of the paths before their item's name ("." for a name alone, the whole path
        // for one that ends with "/").
        QByteArray text;
        int fd;
    };

    int openFolder(const QByteArray& folderText);
    void close();
    void keep(QByteArray folderText, int fd);

    QList<OpenFolder> m_open; // each below the ones before it
    int m_folderFd = -1;
    QByteArray m_itemName;
};

} // namespace palvorn
