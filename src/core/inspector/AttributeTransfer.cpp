#include "core/inspector/AttributeTransfer.h"

#include "core/model/AtomicSave.h"
#include "core/model/AttributeDump.h"
#include "core/model/DumpReader.h"
#include "core/model/XattrAccess.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include <QFile>

namespace palvorn {

namespace {

// Opens the file by its bytes (a name that is not UTF-8 included) for reading, and only a regular
// file: a FIFO or a device would keep the window waiting for ever. The reason when it is refused.
QString openRegularFile(const QString& path, QFile& file) {
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Error::describe(errno);
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return QStringLiteral("It is not a regular file, so it was not read.");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    return {};
}

} // namespace

QList<Error> AttributeTransfer::exportDump(const QString& path, const QString& dumpPath) {
    const QByteArray native = nativePath(path);
    // Saved by a rename, the dump would take the place of the file and its attributes.
    if (AtomicSave::isSameFile(dumpPath, path))
        return {Error(QString(), QStringLiteral("not saved: it is the inspected file itself"),
                      dumpPath)};
    Result<QList<QByteArray>> listed = listXattrs(native);
    if (!listed)
        return {Error::fromError(QStringLiteral("listxattr"), listed.error(), path)};
    QList<QByteArray> names = std::move(*listed);
    // In byte order, as a dump of the file by the attr tools lists them.
    std::sort(names.begin(), names.end());
    // A file without attributes has no block, as the attr tools write none for it.
    QByteArray dump = names.isEmpty() ? QByteArray() : AttributeDump::header(native);
    QList<Error> failures;
    for (const QByteArray& name : std::as_const(names)) {
        if (const Result<QByteArray> value = getXattr(native, name))
            dump += AttributeDump::line(name, *value, ValueEncoding::Base64);
        else
            failures.append(
                Error::fromError(QStringLiteral("getxattr"), value.error(), path, name));
    }
    if (!failures.isEmpty()) {
        failures.append(Error(
            QString(), QStringLiteral("not written, so that no attribute is left out"), dumpPath));
        return failures;
    }
    if (!names.isEmpty())
        dump += '\n';
    if (const Result<> saved = AtomicSave::write(dumpPath, dump); !saved)
        return {saved.error()};
    return {};
}

AttributeTransfer::Import AttributeTransfer::readDump(const QString& dumpPath) {
    Import result;
    QFile file;
    const QString refused = openRegularFile(dumpPath, file);
    if (!refused.isEmpty()) {
        result.problems.append(Error(QString(), refused, dumpPath));
        return result;
    }
    DumpReader reader(file, [&result, &dumpPath](const Error& problem) {
        result.problems.append(
            Error(QString(), QStringLiteral("line %1: ").arg(problem.line()) + problem.lineText(),
                  dumpPath));
    });
    while (const std::optional<DumpEntry> entry = reader.next())
        result.values.insert(entry->name, entry->value);
    if (file.error() != QFileDevice::NoError)
        result.problems.append(Error(QString(), file.errorString(), dumpPath));
    return result;
}

QList<Error> AttributeTransfer::apply(const QString& path, const AttributeChange::Values& values) {
    QList<Error> failures;
    const QByteArray native = nativePath(path);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (const Result<> written = setXattr(native, it.key(), it.value().value_or(QByteArray()));
            !written)
            failures.append(
                Error::fromError(QStringLiteral("setxattr"), written.error(), path, it.key()));
    }
    return failures;
}

} // namespace palvorn
