#pragma once

#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace palvorn {

// One open folder and its entries in the order the system lists them, "." and ".." left out. The
// walks open every folder through it, relative to its parent's descriptor.
class FolderStream {
public:
    struct Entry {
        const char* name; // valid until the next call of next()
        bool isSymbolicLink;
        bool isFolder;
    };

    // The folder name in parent (AT_FDCWD: a path); with followLink false a link in its place is
    // refused (ELOOP, ENOTDIR) instead of entered. None, with the system's code in errorCode.
    static std::unique_ptr<FolderStream> open(int parent, const char* name, bool followLink,
                                              int* errorCode);
    ~FolderStream();
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    int fd() const;
    dev_t device() const;

    // None at the end of the folder, and then readError() is the system's code if reading failed.
    std::optional<Entry> next();
    int readError() const { return m_readError; }

private:
    explicit FolderStream(DIR* dir) : m_dir(dir) {}

    DIR* m_dir; // the system's stream: one descriptor and one buffer of entries
    int m_readError = 0;
};

} // namespace palvorn
