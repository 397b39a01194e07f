#include "core/model/FolderXattrAccess.h"

#include "core/model/PosixError.h"
#include "core/model/SizedRead.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QList>

// glibc 2.36 has neither wrappers nor numbers for these calls; the numbers are the same on every
// architecture that uses the common system call table.
#if defined(__linux__)
#ifndef SYS_setxattrat
#define SYS_setxattrat 463
#endif
#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
#ifndef SYS_listxattrat
#define SYS_listxattrat 465
#endif
#ifndef SYS_removexattrat
#define SYS_removexattrat 466
#endif
#endif

namespace palvorn {

namespace {

#if defined(__linux__)

// The kernel's struct xattr_args.
struct XattrArgs {
    alignas(8) std::uint64_t value;
    std::uint32_t size;
    std::uint32_t flags;
};

bool kernelHasAtCalls() {
    if (qEnvironmentVariableIntValue("PALVORN_XATTR_PROC") == 1)
        return false;
    // Listing "/" succeeds wherever the call exists. Older kernels say ENOSYS, but a sandbox's
    // system call filter may say EPERM instead, so any failure means the fallback.
    return ::syscall(SYS_listxattrat, AT_FDCWD, "/", AT_SYMLINK_NOFOLLOW, nullptr, 0) >= 0;
}

// "/proc/self/fd/N/NAME": the folder through its descriptor, then the item's own name. A name is
// at most 255 bytes, so this fits whatever the item's depth.
class ProcPath {
public:
    ProcPath(int folderFd, const char* itemName) {
        const int length =
            std::snprintf(m_path, sizeof m_path, "/proc/self/fd/%d/%s", folderFd, itemName);
        m_valid = length > 0 && std::size_t(length) < sizeof m_path;
    }
    const char* get() const {
        if (!m_valid)
            throw PosixError(ENAMETOOLONG, PosixError::describe(ENAMETOOLONG));
        return m_path;
    }

private:
    char m_path[320];
    bool m_valid = false;
};

ssize_t listCall(int fd, const char* item, char* buffer, std::size_t size) {
    if (FolderXattrAccess::calls() == FolderXattrAccess::Calls::AtCalls)
        return ::syscall(SYS_listxattrat, fd, item, AT_SYMLINK_NOFOLLOW, buffer, size);
    return ::llistxattr(ProcPath(fd, item).get(), buffer, size);
}

ssize_t getCall(int fd, const char* item, const char* name, void* buffer, std::size_t size) {
    if (FolderXattrAccess::calls() == FolderXattrAccess::Calls::AtCalls) {
        XattrArgs args{reinterpret_cast<std::uintptr_t>(buffer), std::uint32_t(size), 0};
        return ::syscall(SYS_getxattrat, fd, item, AT_SYMLINK_NOFOLLOW, name, &args, sizeof args);
    }
    return ::lgetxattr(ProcPath(fd, item).get(), name, buffer, size);
}

int removeCall(int fd, const char* item, const char* name) {
    if (FolderXattrAccess::calls() == FolderXattrAccess::Calls::AtCalls)
        return int(::syscall(SYS_removexattrat, fd, item, AT_SYMLINK_NOFOLLOW, name));
    return ::lremovexattr(ProcPath(fd, item).get(), name);
}

int setCall(int fd, const char* item, const char* name, const QByteArray& value) {
    if (FolderXattrAccess::calls() == FolderXattrAccess::Calls::AtCalls) {
        const XattrArgs args{reinterpret_cast<std::uintptr_t>(value.constData()),
                             std::uint32_t(value.size()), 0};
        return int(
            ::syscall(SYS_setxattrat, fd, item, AT_SYMLINK_NOFOLLOW, name, &args, sizeof args));
    }
    return ::lsetxattr(ProcPath(fd, item).get(), name, value.constData(), std::size_t(value.size()),
                       0);
}

#else

bool kernelHasAtCalls() {
    return false;
}

// macOS: the calls with XATTR_NOFOLLOW on the item relative to the folder's descriptor path.
std::string fdPath(int fd, const char* item) {
    char folder[PATH_MAX];
    if (::fcntl(fd, F_GETPATH, folder) < 0)
        throw PosixError::fromErrno();
    return std::string(folder) + '/' + item;
}

ssize_t listCall(int fd, const char* item, char* buffer, std::size_t size) {
    return ::listxattr(fdPath(fd, item).c_str(), buffer, size, XATTR_NOFOLLOW);
}

ssize_t getCall(int fd, const char* item, const char* name, void* buffer, std::size_t size) {
    return ::getxattr(fdPath(fd, item).c_str(), name, buffer, size, 0, XATTR_NOFOLLOW);
}

int removeCall(int fd, const char* item, const char* name) {
    return ::removexattr(fdPath(fd, item).c_str(), name, XATTR_NOFOLLOW);
}

int setCall(int fd, const char* item, const char* name, const QByteArray& value) {
    return ::setxattr(fdPath(fd, item).c_str(), name, value.constData(), std::size_t(value.size()),
                      0, XATTR_NOFOLLOW);
}

#endif

} // namespace

FolderXattrAccess::Calls FolderXattrAccess::calls() {
    static const Calls available = kernelHasAtCalls() ? Calls::AtCalls : Calls::ProcCalls;
    return available;
}

void FolderXattrAccess::list(int folderFd, const char* itemName, QByteArray& buffer) {
    SizedRead::readList(buffer, [&](char* into, std::size_t capacity) {
        return listCall(folderFd, itemName, into, capacity);
    });
}

QByteArray FolderXattrAccess::get(int folderFd, const char* itemName, const char* listedName) {
    return SizedRead::readValue(
        [&](char* into, std::size_t capacity) {
            return getCall(folderFd, itemName, listedName, into, capacity);
        },
        [&] {
            QByteArray names;
            list(folderFd, itemName, names);
            for (const QByteArray& name : names.split('\0')) {
                if (QByteArrayView(name) == QByteArrayView(listedName))
                    return true;
            }
            return false;
        });
}

qint64 FolderXattrAccess::size(int folderFd, const char* itemName, const char* listedName) {
    const ssize_t size = getCall(folderFd, itemName, listedName, nullptr, 0);
    if (size < 0)
        throw PosixError::fromErrno();
    return size;
}

bool FolderXattrAccess::holds(int folderFd, const char* itemName, const char* listedName,
                              const QByteArray& expected, QByteArray& buffer) {
    buffer.resize(expected.size() + 1);
    const ssize_t size =
        getCall(folderFd, itemName, listedName, buffer.data(), std::size_t(buffer.size()));
    if (size < 0) {
        if (errno == ERANGE)
            return false;
        throw PosixError::fromErrno();
    }
    return QByteArrayView(buffer.constData(), size) == QByteArrayView(expected);
}

void FolderXattrAccess::remove(int folderFd, const char* itemName, const char* listedName) {
    if (removeCall(folderFd, itemName, listedName) < 0)
        throw PosixError::fromErrno();
}

void FolderXattrAccess::set(int folderFd, const char* itemName, const QByteArray& name,
                            const QByteArray& value) {
    if (name.contains('\0'))
        throw PosixError(EINVAL, PosixError::describe(EINVAL));
    if (setCall(folderFd, itemName, name.constData(), value) < 0)
        throw PosixError::fromErrno();
}

} // namespace palvorn
