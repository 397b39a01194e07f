#include "model/XattrAccess.h"

#include "model/ListedXattrNames.h"

#include <sys/types.h>
#include <sys/xattr.h>

#include <QFile>

namespace palvorn {

namespace {

ssize_t systemListxattr(const char* path, char* buffer, size_t size) {
#ifdef __APPLE__
    return ::listxattr(path, buffer, size, 0);
#else
    return ::listxattr(path, buffer, size);
#endif
}

ssize_t systemGetxattr(const char* path, const char* name, void* buffer, size_t size) {
#ifdef __APPLE__
    return ::getxattr(path, name, buffer, size, 0, 0);
#else
    return ::getxattr(path, name, buffer, size);
#endif
}

int systemSetxattr(const char* path, const char* name, const void* value, size_t size) {
#ifdef __APPLE__
    return ::setxattr(path, name, value, size, 0, 0);
#else
    return ::setxattr(path, name, value, size, 0);
#endif
}

int systemRemovexattr(const char* path, const char* name) {
#ifdef __APPLE__
    return ::removexattr(path, name, 0);
#else
    return ::removexattr(path, name);
#endif
}

// Two calls, one zero-filled allocation of exactly the first call's size. A value that grew
// between the calls makes the second call fail, and that failure is what is reported.
QByteArray readWhole(const QByteArray& path, const char* name) {
    const ssize_t size = systemGetxattr(path.constData(), name, nullptr, 0);
    if (size < 0)
        throw PosixError::fromErrno();
    QByteArray value(static_cast<qsizetype>(size), '\0');
    if (systemGetxattr(path.constData(), name, size > 0 ? value.data() : nullptr,
                       static_cast<size_t>(size)) < 0)
        throw PosixError::fromErrno();
    return value;
}

} // namespace

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray systemAttributeName(const QString& name) {
    QByteArray bytes = name.toUtf8();
#ifndef __APPLE__
    static constexpr const char* namespaces[] = {"user.", "trusted.", "security.", "system."};
    for (const char* prefix : namespaces) {
        if (bytes.startsWith(prefix))
            return bytes;
    }
    bytes.prepend("user.");
#endif
    return bytes;
}

QStringList listXattrs(const QByteArray& path) {
    ListedXattrNames listed;
    QStringList names;
    for (const QByteArrayView name : listed.read(path))
        names.append(QString::fromUtf8(name));
    return names;
}

QByteArray getXattr(const QByteArray& path, const QString& name) {
    return readWhole(path, systemAttributeName(name).constData());
}

qint64 getXattrSize(const QByteArray& path, const QString& name) {
    return getListedXattrSize(path, systemAttributeName(name).constData());
}

void readXattrNameList(const QByteArray& path, QByteArray& buffer) {
    const ssize_t size = systemListxattr(path.constData(), nullptr, 0);
    if (size < 0)
        throw PosixError::fromErrno();
    // Most items carry no attributes: nothing to read, and no allocation for them.
    buffer.resize(static_cast<qsizetype>(size));
    if (size == 0)
        return;
    const ssize_t got = systemListxattr(path.constData(), buffer.data(), static_cast<size_t>(size));
    if (got < 0)
        throw PosixError::fromErrno();
    buffer.resize(static_cast<qsizetype>(got));
}

QByteArray getListedXattr(const QByteArray& path, const char* listedName) {
    return readWhole(path, listedName);
}

qint64 getListedXattrSize(const QByteArray& path, const char* listedName) {
    const ssize_t size = systemGetxattr(path.constData(), listedName, nullptr, 0);
    if (size < 0)
        throw PosixError::fromErrno();
    return size;
}

void setXattr(const QByteArray& path, const QString& name, const QByteArray& value) {
    if (systemSetxattr(path.constData(), systemAttributeName(name).constData(), value.constData(),
                       static_cast<size_t>(value.size())) < 0)
        throw PosixError::fromErrno();
}

void removeXattr(const QByteArray& path, const QString& name) {
    if (systemRemovexattr(path.constData(), systemAttributeName(name).constData()) < 0)
        throw PosixError::fromErrno();
}

} // namespace palvorn
