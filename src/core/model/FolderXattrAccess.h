#pragma once

#include <fcntl.h>

#include <QByteArray>

namespace palvorn {

// Attribute calls of the walks: each names an item by the descriptor of its open folder and the
// item's own name, and never follows a symbolic link. So what happens to the tree while a walk
// runs (a folder renamed away, a link put in its place) cannot lead a call outside the folder,
// and the depth of an item does not matter. Names are passed exactly as the system listed them
// (NUL-terminated bytes). Failures throw PosixError. The folder may be open for reading, or only
// as a place (placeOnly).
class FolderXattrAccess {
public:
    enum class Calls {
        AtCalls,   // listxattrat, getxattrat, setxattrat, removexattrat with AT_SYMLINK_NOFOLLOW
        ProcCalls, // llistxattr, lgetxattr, lsetxattr, lremovexattr on /proc/self/fd/N/NAME
    };

    // How to open a folder only as a place to name items in (O_PATH where the system has it):
    // that needs the same search permission as the kernel's lookup of a path, and no read one.
#ifdef O_PATH
    static constexpr int placeOnly = O_PATH;
#else
    static constexpr int placeOnly = O_RDONLY;
#endif

    // The calls in use, asked of the kernel once: the *at calls where it has them (Linux 6.13
    // and later), unless the environment says PALVORN_XATTR_PROC=1 (so that tests and
    // benchmarks take the fallback where the kernel has both).
    static Calls calls();

    // The raw NUL-separated list into a buffer that keeps its capacity from item to item. The
    // buffer holds at most what one item's list can be (64 KiB on Linux).
    static void list(int folderFd, const char* itemName, QByteArray& buffer);
    // The whole value (at most 64 KiB, the kernel's limit on Linux); a value that changes size
    // between the two calls is read again, at most four times.
    static QByteArray get(int folderFd, const char* itemName, const char* listedName);
    static qint64 size(int folderFd, const char* itemName, const char* listedName);
    // Whether the value is expected, byte for byte, in one call: a larger one does not fit the
    // buffer (at least one byte larger than expected) and is another value.
    static bool holds(int folderFd, const char* itemName, const char* listedName,
                      const QByteArray& expected, QByteArray& buffer);
    static void remove(int folderFd, const char* itemName, const char* listedName);
    // Creates the attribute or replaces its value, on the item itself (a link's own attribute).
    // A name holding a NUL byte is refused (EINVAL): the system would set only its first part.
    static void set(int folderFd, const char* itemName, const QByteArray& name,
                    const QByteArray& value);
};

} // namespace palvorn
