#include "core/model/NoFollowPath.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/Error.h"
#include "core/model/FolderXattrAccess.h"

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
    return Error::describe(code);
}

// The folder in one call where the kernel has openat2, from "/", the current folder or an open
// folder; -1 where it fails, for any reason.
int openAtOnce(int from, const char* folderPath) {
#ifdef SYS_openat2
    // One call for the whole way, in which the kernel follows no link at all.
    struct open_how how = {};
    how.flags = static_cast<__u64>(placeOnly | O_DIRECTORY | O_CLOEXEC);
    how.resolve = RESOLVE_NO_SYMLINKS;
    return static_cast<int>(::syscall(SYS_openat2, from, folderPath, &how, sizeof how));
#else
    Q_UNUSED(from);
    Q_UNUSED(folderPath);
    return -1;
#endif
}

// The rest of folderText below the open folder named by text, without leading slashes; empty
// where folderText is not below it.
QByteArrayView restBelow(const QByteArray& folderText, const QByteArray& text) {
    if (!folderText.startsWith(text))
        return {};
    QByteArrayView rest = QByteArrayView(folderText).sliced(text.size());
    if (!text.endsWith('/') && !rest.startsWith('/'))
        return {};
    while (rest.startsWith('/'))
        rest = rest.sliced(1);
    return rest;
}

// The folder by one openat after the other, none following a link; the reason where the way
// ended, naming nothing yet.
Result<int> openStepByStep(bool absolute, const QList<Component>& components,
                           const QByteArray& path) {
    int folder = ::open(absolute ? "/" : ".", placeOnly | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return failure(Error({}, Error::describe(errno), {}));
    for (const Component& component : components) {
        const char* name = component.name.constData();
        const int next = ::openat(folder, name, placeOnly | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int code = errno;
            const QString reason =
                whyNotOpened(code, folder, name, QByteArrayView(path).first(component.end));
            ::close(folder);
            return failure(Error({}, reason, {}));
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

Result<> NoFollowPath::reach(const QByteArray& path) {
    m_folderFd = -1;
    if (path.isEmpty())
        return failure(Error({}, Error::describe(ENOENT), {}, {}, ENOENT));
    // "dir/" (and "/" alone) is the folder itself: its "." in it, reached as a folder.
    const qsizetype slash = path.lastIndexOf('/');
    const bool namesFolder = slash == path.size() - 1;
    QByteArray folderText = namesFolder ? path
                            : slash < 0 ? "."
                                        : path.first(std::max<qsizetype>(slash, 1));
    m_itemName = namesFolder ? "." : path.sliced(slash + 1);
    int folder = openFolder(folderText);
    if (folder < 0) {
        // Step by step, to name the link or the component where the way ends (or where the
        // kernel has no openat2).
        QList<Component> components = componentsOf(path);
        if (!namesFolder)
            components.removeLast();
        const Result<int> opened = openStepByStep(path.startsWith('/'), components, path);
        if (!opened)
            return failure(Error({}, opened.error().reason(), ByteText::decode(path)));
        folder = *opened;
    }
    keep(std::move(folderText), folder);
    m_folderFd = folder;
    return {};
}

// The folder named by folderText: kept open, opened below a kept one, or opened from the start
// of its path; -1 where it cannot be opened in one call.
int NoFollowPath::openFolder(const QByteArray& folderText) {
    qsizetype nearest = -1;
    qsizetype nearestLength = -1;
    for (qsizetype i = 0; i < m_open.size(); ++i) {
        const QByteArray& text = m_open[i].text;
        if (text == folderText)
            return m_open[i].fd;
        if (text.size() > nearestLength && !restBelow(folderText, text).isEmpty()) {
            nearest = i;
            nearestLength = text.size();
        }
    }
    if (nearest >= 0) {
        const QByteArray rest = restBelow(folderText, m_open[nearest].text).toByteArray();
        const int folder = openAtOnce(m_open[nearest].fd, rest.constData());
        if (folder >= 0)
            return folder;
    }
    return openAtOnce(AT_FDCWD, folderText.constData());
}

// Only the folders on the way down to this one can serve the next items of a dump, which goes
// down a tree and comes back up: the others are closed.
void NoFollowPath::keep(QByteArray folderText, int fd) {
    bool kept = false;
    for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
        if (m_open[i].fd == fd) {
            kept = true;
        } else if (restBelow(folderText, m_open[i].text).isEmpty()) {
            ::close(m_open[i].fd);
            m_open.removeAt(i);
        }
    }
    if (!kept)
        m_open.append({std::move(folderText), fd});
    if (m_open.size() > openKept)
        ::close(m_open.takeFirst().fd); // the one highest up
}

void NoFollowPath::close() {
    for (const OpenFolder& folder : std::as_const(m_open))
        ::close(folder.fd);
    m_open.clear();
    m_folderFd = -1;
}

} // namespace palvorn
