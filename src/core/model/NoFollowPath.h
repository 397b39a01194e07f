#pragma once

#include <optional>

#include <QByteArray>
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
// Descriptors: at most two. The folder of the item last reached stays open, so that the next
// item of the same folder needs no system call to reach; it is closed before the way to another
// folder is opened, which holds the folder it is in and the next one.
class NoFollowPath {
public:
    NoFollowPath() = default;
    NoFollowPath(const NoFollowPath&) = delete;
    NoFollowPath& operator=(const NoFollowPath&) = delete;
    ~NoFollowPath();

    // Opens the folders up to path's item. None when it is reached; otherwise why not: the
    // system's text for the component where the way ended, or the link that ended it.
    std::optional<QString> reach(const QByteArray& path);

    // The folder that holds the item last reached, and the item's name in it ("." for a path
    // naming a folder with a trailing "/", or "/" itself).
    int folderFd() const { return m_folderFd; }
    const char* itemName() const { return m_itemName.constData(); }

private:
    void close();

    // Which folder m_folderFd is: the text of the last path before its item's name ("." for a
    // name alone, the whole path for one that ends with "/").
    QByteArray m_folderText;
    int m_folderFd = -1;
    QByteArray m_itemName;
};

} // namespace palvorn
