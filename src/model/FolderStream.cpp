#include "model/FolderStream.h"

#include <cerrno>
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

} // namespace

std::unique_ptr<FolderStream> FolderStream::open(int parent, const char* name, bool followLink,
                                                 int* errorCode) {
    const int fd =
        ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *errorCode = errno;
        return nullptr;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        *errorCode = errno;
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FolderStream>(new FolderStream(dir));
}

FolderStream::~FolderStream() {
    ::closedir(m_dir);
}

int FolderStream::fd() const {
    return ::dirfd(m_dir);
}

dev_t FolderStream::device() const {
    struct stat status = {};
    ::fstat(fd(), &status);
    return status.st_dev;
}

std::optional<FolderStream::Entry> FolderStream::next() {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(m_dir);
        if (!entry) {
            m_readError = errno;
            return std::nullopt;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN)
            type = typeOf(fd(), name);
        return Entry{name, type == DT_LNK, type == DT_DIR};
    }
}

} // namespace palvorn
