#include "model/NoFollowPath.h"

#include "model/AttributeName.h"
#include "model/FolderXattrAccess.h"
#include "model/PosixError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

NoFollowPath::~NoFollowPath() {
    close();
}

std::optional<QString> NoFollowPath::reach(const QByteArray& path) {
    if (path.isEmpty())
        return PosixError::describe(ENOENT);
    // The next item of the folder last reached, named by the same text up to its last "/" (as a
    // dump names one item after the other): nothing to look at but its own name.
    const qsizetype slash = path.lastIndexOf('/');
    if (m_folderFd >= 0 && slash + 1 < path.size() && m_folderText.has_value() &&
        QByteArrayView(path).first(slash + 1) == *m_folderText) {
        m_itemName = path.sliced(slash + 1);
        return std::nullopt;
    }
    QList<Component> components = componentsOf(path);
    // "dir/" (and "/" alone) is the folder itself: its "." in it, reached as a folder.
    if (path.endsWith('/'))
        components.append({".", path.size()});
    m_itemName = components.takeLast().name;

    const bool absolute = path.startsWith('/');
    QByteArray key = absolute ? "/" : ".";
    for (const Component& component : std::as_const(components))
        key += '/' + component.name;
    if (m_folderFd >= 0 && key == m_folderKey) {
        m_folderText = path.endsWith('/') ? std::nullopt : std::optional(path.first(slash + 1));
        return std::nullopt;
    }
    close();

    int folder = ::open(absolute ? "/" : ".", placeOnly | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return PosixError::describe(errno);
    for (const Component& component : std::as_const(components)) {
        const char* name = component.name.constData();
        const int next = ::openat(folder, name, placeOnly | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int code = errno;
            const QString reason =
                whyNotOpened(code, folder, name, QByteArrayView(path).first(component.end));
            ::close(folder);
            return reason;
        }
        ::close(folder);
        folder = next;
    }
    m_folderFd = folder;
    m_folderKey = key;
    if (!path.endsWith('/'))
        m_folderText = path.first(slash + 1);
    return std::nullopt;
}

void NoFollowPath::close() {
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    m_folderKey.clear();
    m_folderText.reset();
}

} // namespace palvorn
