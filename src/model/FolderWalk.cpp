#include "model/FolderWalk.h"

#include "model/AttributeName.h"
#include "model/PosixError.h"
#include "model/WalkProgress.h"
#include "model/XattrAccess.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace palvorn {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

Dir openFolder(int parent, const char* name, int flags) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return Dir(dir);
}

dev_t deviceOf(DIR* dir) {
    struct stat status = {};
    ::fstat(::dirfd(dir), &status);
    return status.st_dev;
}

class Walker {
public:
    Walker(const FolderWalk::Visitor& visit, const FolderWalk::ErrorSink& onError,
           const FolderWalk::Options& options, dev_t device)
        : m_visit(visit), m_onError(onError), m_options(options), m_device(device) {}

    // One reusable path buffer; every item's path is the folder's path plus its name. Its size
    // is the deepest path met; one open descriptor per folder level is held.
    void walkContents(DIR* dir, QByteArray& path) {
        if (m_options.progress)
            m_options.progress->enterFolder(path);
        if (m_options.folderEntered)
            m_options.folderEntered(path);
        const qsizetype base = path.size();
        const int fd = ::dirfd(dir);
        while (!FolderWalk::stopped(m_options)) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                if (errno != 0) {
                    path.truncate(base);
                    m_onError(path, PosixError::describe(errno));
                }
                return;
            }
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            path.truncate(base);
            path.append('/').append(name);
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN)
                type = typeOf(fd, name);
            m_visit({path, fd, name, type == DT_LNK});
            if (type != DT_LNK && m_options.progress)
                m_options.progress->countItem();
            if (type == DT_DIR)
                descend(fd, name, path);
        }
    }

private:
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

    // O_NOFOLLOW: a folder swapped for a link since it was listed is refused, not entered.
    void descend(int parent, const char* name, QByteArray& path) {
        const Dir dir = openFolder(parent, name, O_NOFOLLOW);
        if (!dir) {
            m_onError(path, PosixError::describe(errno));
            return;
        }
        if (m_options.oneFileSystem && deviceOf(dir.get()) != m_device)
            return;
        walkContents(dir.get(), path);
    }

    const FolderWalk::Visitor& m_visit;
    const FolderWalk::ErrorSink& m_onError;
    const FolderWalk::Options& m_options;
    const dev_t m_device;
};

} // namespace

bool FolderWalk::walk(const QString& folder, const Visitor& visit, const ErrorSink& onError,
                      const Options& options, QString* error) {
    QByteArray path = nativePath(folder);
    // The folder given is taken as the kernel resolves it; only what lies below it is guarded.
    const Dir dir = openFolder(AT_FDCWD, path.constData(), 0);
    if (!dir) {
        const int code = errno;
        if (error)
            *error =
                displayName(nativePath(folder)) + QStringLiteral(": ") + PosixError::describe(code);
        return false;
    }
    // Items are the folder's path, a slash and their names; "/" itself contributes no characters.
    while (path.endsWith('/'))
        path.chop(1);
    path.reserve(4096);
    Walker(visit, onError, options, deviceOf(dir.get())).walkContents(dir.get(), path);
    return true;
}

} // namespace palvorn
