#include "core/stripper/RestoreFile.h"

#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/model/XattrAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>

namespace palvorn {

namespace {

// A hidden name is tried this many times: only as many restore files being written in one folder.
constexpr int nameAttempts = 100;
constexpr qint64 copyBuffer = 64 * 1024;

// What a name holds where a restore file cannot go.
QString kindOf(mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a file");
}

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

RestoreFile::RestoreFile(QString path, int folderFd, QByteArray name)
    : m_path(std::move(path)), m_folderFd(folderFd), m_name(std::move(name)) {}

RestoreFile::~RestoreFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_named && !m_tempName.isEmpty())
        ::unlinkat(m_folderFd, m_tempName.constData(), 0);
    ::close(m_folderFd);
}

Result<std::unique_ptr<RestoreFile>> RestoreFile::open(const QString& path) {
    const QByteArray native = nativePath(path);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : native.left(slash);
    const QByteArray name = native.mid(slash + 1);
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        const int code = errno;
        return failure(Error({}, Error::describe(code), path, {}, code));
    }
    std::unique_ptr<RestoreFile> file(new RestoreFile(path, folderFd, name));
    if (name.isEmpty())
        return failure(file->errorOf(EISDIR));
    struct stat status = {};
    if (::fstatat(folderFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(status.st_mode))
            return failure(file->refusal(status.st_mode));
        file->m_replacing = true;
    } else if (errno != ENOENT) {
        return failure(file->errorOf(errno));
    }
    // A file that is replaced passes its permissions on; a new one gets the usual ones.
    const std::optional<mode_t> mode =
        file->m_replacing ? std::optional(status.st_mode & 07777) : std::nullopt;
    Result<int> fd = file->createBeside(&file->m_tempName, mode);
    if (!fd)
        return failure(fd.error());
    file->m_fd = *fd;
    return file;
}

// A new hidden file in the same folder, made by this call (O_EXCL), so that a rename can give it
// the name in one step.
Result<int> RestoreFile::createBeside(QByteArray* name, std::optional<mode_t> mode) {
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        char candidate[32];
        std::snprintf(candidate, sizeof candidate, ".palvorn-restore-%08x",
                      QRandomGenerator::global()->generate());
        // Read too, when the values taken out are left out of a copy.
        const int fd =
            ::openat(m_folderFd, candidate, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     mode ? 0600 : 0666);
        if (fd >= 0) {
            *name = candidate;
            if (mode)
                ::fchmod(fd, *mode);
            return fd;
        }
        if (errno != EEXIST)
            break;
    }
    return failure(errorOf(errno));
}

Result<qint64> RestoreFile::append(const QByteArray& blocks) {
    // A full disk shows itself at the write, or at the latest when the data reaches the disk.
    if (!writeAll(m_fd, blocks.constData(), blocks.size()) || ::fdatasync(m_fd) != 0) {
        const Error error = errorOf(errno);
        // What was written of these blocks is no whole entry: cut it off again.
        if (::ftruncate(m_fd, m_size) == 0)
            ::lseek(m_fd, m_size, SEEK_SET);
        return failure(error);
    }
    if (!m_named) {
        if (Result<> named = takeName(); !named) {
            if (::ftruncate(m_fd, m_size) == 0)
                ::lseek(m_fd, m_size, SEEK_SET);
            return failure(named.error());
        }
    }
    const qint64 offset = m_size;
    m_size += blocks.size();
    return offset;
}

// The file was written through beside its name; now it takes the name, and the folder's entry
// is written through too. A new file never takes the place of an item that appeared meanwhile; a
// replaced one only of a regular file.
Result<> RestoreFile::takeName() {
    if (::fsync(m_fd) != 0)
        return failure(errorOf(errno));
    const char* temp = m_tempName.constData();
    const char* name = m_name.constData();
    int result = 0;
    if (m_replacing) {
        struct stat status = {};
        if (::fstatat(m_folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISREG(status.st_mode))
            return failure(refusal(status.st_mode));
        result = ::renameat(m_folderFd, temp, m_folderFd, name);
    } else {
        result = ::renameat2(m_folderFd, temp, m_folderFd, name, RENAME_NOREPLACE);
        // File systems without it: a hard link never replaces either.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::linkat(m_folderFd, temp, m_folderFd, name, 0);
            if (result == 0)
                ::unlinkat(m_folderFd, temp, 0);
        }
    }
    if (result != 0)
        return failure(errorOf(errno));
    m_named = true;
    m_tempName.clear();
    ::fsync(m_folderFd);
    return {};
}

void RestoreFile::takeOutLater(qint64 offset, qint64 length) {
    m_takenOut.emplace_back(offset, length);
}

Result<> RestoreFile::finish() {
    if (!m_named) {
        if (::fdatasync(m_fd) != 0)
            return failure(errorOf(errno));
        if (Result<> named = takeName(); !named)
            return named;
    }
    if (m_takenOut.empty())
        return {};
    return copyWithoutTakenOut();
}

// The file again without the blocks taken out, made beside it and renamed over it: the name
// holds every value removed at every moment.
Result<> RestoreFile::copyWithoutTakenOut() {
    std::sort(m_takenOut.begin(), m_takenOut.end());
    struct stat own = {};
    ::fstat(m_fd, &own);
    QByteArray copyName;
    const Result<int> made = createBeside(&copyName, own.st_mode & 07777);
    if (!made)
        return failure(made.error());
    const int copy = *made;
    const auto fail = [&](int code) -> Result<> {
        const Error error = errorOf(code);
        ::close(copy);
        ::unlinkat(m_folderFd, copyName.constData(), 0);
        return failure(error);
    };
    QByteArray buffer(copyBuffer, Qt::Uninitialized);
    qint64 at = 0;
    auto next = m_takenOut.cbegin();
    while (at < m_size) {
        while (next != m_takenOut.cend() && next->first + next->second <= at)
            ++next;
        if (next != m_takenOut.cend() && next->first <= at) {
            at = next->first + next->second;
            continue;
        }
        const qint64 end = next == m_takenOut.cend() ? m_size : next->first;
        const ssize_t read =
            ::pread(m_fd, buffer.data(), std::size_t(std::min(copyBuffer, end - at)), at);
        if (read <= 0)
            return fail(read < 0 ? errno : EIO);
        if (!writeAll(copy, buffer.constData(), read))
            return fail(errno);
        at += read;
    }
    if (::fsync(copy) != 0)
        return fail(errno);
    // Only over the file this strip wrote: an item put at its name meanwhile is not replaced.
    struct stat named = {};
    if (::fstatat(m_folderFd, m_name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_dev != own.st_dev || named.st_ino != own.st_ino)
        return fail(EEXIST);
    if (::renameat(m_folderFd, copyName.constData(), m_folderFd, m_name.constData()) != 0)
        return fail(errno);
    ::fsync(m_folderFd);
    ::close(m_fd);
    m_fd = copy;
    m_size = ::lseek(copy, 0, SEEK_END);
    m_takenOut.clear();
    return {};
}

Error RestoreFile::errorOf(int code) const {
    return Error({}, Error::describe(code), m_path, {}, code);
}

Error RestoreFile::refusal(mode_t mode) const {
    return Error({}, QStringLiteral("is ") + kindOf(mode) + QStringLiteral(", not a regular file"),
                 m_path);
}

} // namespace palvorn
