#include "core/model/NoFollowPath.h"

#include "core/model/AttributeName.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/PosixError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/openat2.h>
#endif

#include <QList>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// A folder on the way is only a place to look names up in.
constexpr int placeOnly = FolderXattrAccess::placeOnly;

struct Component {
    QByteArray name;
    qsizetype end; // where it ends in the path: the path up to here names it
};

// The names between slashes; repeated slashes name nothing of their own.
QList<Component> componentsOf(const QByteArray& path) {
    QList<Component> components;
    qsizetype start = 0;
    for (const QByteArray& piece : path.split('/')) {
        if (!piece.isEmpty())
            components.append({piece, start + piece.size()});
        start += piece.size() + 1;
    }
    return components;
}

// Why a folder could not be opened. A link makes the open fail as "not a folder" (or "too many
// links"); the link is named, since the system's text alone would hide it.
QString whyNotOpened(int code, int folderFd, const char* name, QByteArrayView shownPath) {
    struct stat status {};
    if ((code == ENOTDIR || code == ELOOP) &&
        ::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
        return displayName(shownPath) + u" is a symbolic link, not followed"_s;
    return PosixError::describe(code);
}

// The folder in one call where the kernel has openat2; -1 where it fails, for any reason.
int openAtOnce(const QByteArray& folderPath) {
#ifdef SYS_openat2
    // One call for the whole way, in which the kernel follows no link at all.
    struct open_how how = {};
    how.flags = static_cast<__u64>(placeOnly | O_DIRECTORY | O_CLOEXEC);
    how.resolve = RESOLVE_NO_SYMLINKS;
    return static_cast<int>(
        ::syscall(SYS_openat2, AT_FDCWD, folderPath.constData(), &how, sizeof how));
#else
    Q_UNUSED(folderPath);
    return -1;
#endif
}

// The folder by one openat after the other, none following a link; -1 with the reason.
int openStepByStep(bool absolute, const QList<Component>& components, const QByteArray& path,
                   QString* reason) {
    int folder = ::open(absolute ? "/" : ".", placeOnly | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        *reason = PosixError::describe(errno);
        return -1;
    }
    for (const Component& component : components) {
        const char* name = component.name.constData();
        const int next = ::openat(folder, name, placeOnly | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int code = errno;
            *reason = whyNotOpened(code, folder, name, QByteArrayView(path).first(component.end));
            ::close(folder);
            return -1;
        }
        ::close(folder);
        folder = next;
    }
    return folder;
}

} // namespace

NoFollowPath::~NoFollowPath() {
    close();
}

std::optional<QString> NoFollowPath::reach(const QByteArray& path) {
    if (path.isEmpty())
        return PosixError::describe(ENOENT);
    // "dir/" (and "/" alone) is the folder itself: its "." in it, reached as a folder.
    const qsizetype slash = path.lastIndexOf('/');
    const bool namesFolder = slash == path.size() - 1;
    QByteArray folderText = namesFolder ? path
                            : slash < 0 ? "."
                                        : path.first(std::max<qsizetype>(slash, 1));
    m_itemName = namesFolder ? "." : path.sliced(slash + 1);
    // The next item of the folder last reached, named by the same text (as a dump names one item
    // after the other): nothing to open.
    if (m_folderFd >= 0 && folderText == m_folderText)
        return std::nullopt;
    close();

    int folder = openAtOnce(folderText);
    if (folder < 0) {
        // Step by step, to name the link or the component where the way ends (or where the
        // kernel has no openat2).
        QList<Component> components = componentsOf(path);
        if (!namesFolder)
            components.removeLast();
        QString reason;
        folder = openStepByStep(path.startsWith('/'), components, path, &reason);
        if (folder < 0)
            return reason;
    }
    m_folderFd = folder;
    m_folderText = std::move(folderText);
    return std::nullopt;
}

void NoFollowPath::close() {
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    m_folderText.clear();
}

} // namespace palvorn
