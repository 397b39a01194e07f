#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace palvorn {

// Reads the entries of an open folder in the order the system lists them, "." and ".." left out,
// into a buffer that it keeps from folder to folder. The descriptor stays its owner's: reading
// starts at the folder's first entry or at a position where an earlier reading of the same
// folder stopped, so that a walk may close a folder between two batches of its entries and open
// it again later.
//
// Memory: one buffer of bufferSize bytes per stream.
class FolderStream {
public:
    struct Entry {
        const char* name; // valid until the next call of next() or start()
        bool isSymbolicLink;
        bool isFolder;
    };
    // The system's place in a folder's listing: where reading goes on after an entry.
    using Position = std::int64_t;

    static constexpr std::size_t bufferSize = 32 * 1024;

    FolderStream();
    ~FolderStream();
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    // The folder name in parent (AT_FDCWD: a path), as a descriptor the caller closes; with
    // followLink false a link in its place is refused (ELOOP, ENOTDIR) instead of entered. -1,
    // with the system's code in errorCode, when it cannot be opened as a folder.
    static int open(int parent, const char* name, bool followLink, int* errorCode);

    // Reading fd from its first entry; fd must be freshly opened.
    void start(int fd);
    // Reading fd on from position, which an earlier reading of the same folder returned.
    void resume(int fd, Position position);

    // None at the end of the folder, and then readError() is the system's code if reading failed.
    std::optional<Entry> next();
    int readError() const { return m_readError; }
    // Where reading goes on after the last entry next() returned.
    Position position() const { return m_position; }

private:
    bool fill();

    int m_fd = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_filled = 0;
    std::size_t m_at = 0;
    Position m_position = 0;
    int m_readError = 0;
#ifndef __linux__
    struct Directory;
    std::unique_ptr<Directory> m_directory;
#endif
};

} // namespace palvorn
