#include "model/FolderWalk.h"

#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace palvorn {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

Dir openFolder(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return Dir(dir);
}

class Walker {
public:
    Walker(const FolderWalk::Visitor& visit, const FolderWalk::ErrorSink& onError,
           const std::atomic_bool* stop)
        : m_visit(visit), m_onError(onError), m_stop(stop) {}

    // One reusable path buffer; every item's path is the folder's path plus its name.
    void walkContents(DIR* dir, QByteArray& path) {
        const qsizetype base = path.size();
        while (!stopped()) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                if (errno != 0)
                    m_onError(PosixError::describe(errno));
                return;
            }
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            path.truncate(base);
            path.append('/').append(name);
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN)
                type = typeOf(::dirfd(dir), name);
            m_visit({path, type == DT_LNK});
            if (type == DT_DIR)
                descend(::dirfd(dir), name, path);
        }
    }

private:
    bool stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

    // Where the file system gives no type, ask for it without following links; an item whose
    // status cannot be read counts as no link and no folder.
    static unsigned char typeOf(int parent, const char* name) {
        struct stat status = {};
        if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return DT_REG;
        if (S_ISLNK(status.st_mode))
            return DT_LNK;
        return S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
    }

    void descend(int parent, const char* name, QByteArray& path) {
        const Dir dir = openFolder(parent, name);
        if (!dir) {
            m_onError(PosixError::describe(errno));
            return;
        }
        walkContents(dir.get(), path);
    }

    const FolderWalk::Visitor& m_visit;
    const FolderWalk::ErrorSink& m_onError;
    const std::atomic_bool* m_stop;
};

} // namespace

bool FolderWalk::walk(const QString& folder, const Visitor& visit, const ErrorSink& onError,
                      const std::atomic_bool* stop, QString* error) {
    QByteArray path = nativePath(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = PosixError::describe(code);
        return false;
    }
    const Dir owned(dir);
    // Items are the folder's path, a slash and their names; "/" itself contributes no characters.
    while (path.endsWith('/'))
        path.chop(1);
    path.reserve(4096);
    Walker(visit, onError, stop).walkContents(owned.get(), path);
    return true;
}

} // namespace palvorn
