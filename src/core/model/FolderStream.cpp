#include "core/model/FolderStream.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace palvorn {

namespace {

// Where the file system gives no type, ask for it without following links; an item whose status
// cannot be read counts as no link and no folder.
unsigned char typeOf(int parent, const char* name) {
    struct stat status = {};
    if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_REG;
    if (S_ISLNK(status.st_mode))
        return DT_LNK;
    return S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

int FolderStream::open(int parent, const char* name, bool followLink, int* errorCode) {
    const int fd =
        ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        *errorCode = errno;
    return fd;
}

#ifdef __linux__

// The system's own batches (getdents64): no directory stream to allocate per folder, and a
// position that stays valid for a later descriptor of the same folder.

FolderStream::FolderStream() : m_buffer(new char[bufferSize]) {}

FolderStream::~FolderStream() = default;

void FolderStream::start(int fd) {
    m_fd = fd;
    m_filled = m_at = 0;
    m_position = 0;
    m_readError = 0;
}

void FolderStream::resume(int fd, Position position) {
    start(fd);
    m_position = position;
    if (::lseek(fd, position, SEEK_SET) < 0)
        m_readError = errno;
}

bool FolderStream::fill() {
    if (m_readError != 0)
        return false;
    const ssize_t read = ::getdents64(m_fd, m_buffer.get(), bufferSize);
    if (read < 0)
        m_readError = errno;
    m_filled = read > 0 ? std::size_t(read) : 0;
    m_at = 0;
    return m_filled > 0;
}

std::optional<FolderStream::Entry> FolderStream::next() {
    for (;;) {
        if (m_at >= m_filled && !fill())
            return std::nullopt;
        const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.get() + m_at);
        m_at += entry->d_reclen;
        m_position = entry->d_off;
        const char* name = entry->d_name;
        if (isDotOrDotDot(name))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN)
            type = typeOf(m_fd, name);
        return Entry{name, type == DT_LNK, type == DT_DIR};
    }
}

#else

// Elsewhere the directory stream of the C library, on a descriptor of its own, and its positions.
struct FolderStream::Directory {
    DIR* dir = nullptr;
    ~Directory() {
        if (dir)
            ::closedir(dir);
    }
};

FolderStream::FolderStream() = default;

FolderStream::~FolderStream() = default;

void FolderStream::start(int fd) {
    m_fd = fd;
    m_position = 0;
    m_readError = 0;
    m_directory = std::make_unique<Directory>();
    const int own = ::dup(fd);
    if (own < 0 || !(m_directory->dir = ::fdopendir(own))) {
        m_readError = errno;
        if (own >= 0)
            ::close(own);
        return;
    }
    ::rewinddir(m_directory->dir);
}

void FolderStream::resume(int fd, Position position) {
    start(fd);
    if (m_directory->dir) {
        ::seekdir(m_directory->dir, long(position));
        m_position = position;
    }
}

bool FolderStream::fill() {
    return false;
}

std::optional<FolderStream::Entry> FolderStream::next() {
    if (!m_directory || !m_directory->dir)
        return std::nullopt;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(m_directory->dir);
        if (!entry) {
            m_readError = errno;
            return std::nullopt;
        }
        m_position = ::telldir(m_directory->dir);
        if (isDotOrDotDot(entry->d_name))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN)
            type = typeOf(m_fd, entry->d_name);
        return Entry{entry->d_name, type == DT_LNK, type == DT_DIR};
    }
}

#endif

} // namespace palvorn
