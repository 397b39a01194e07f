#include "model/XattrAccess.h"

#include "model/ByteText.h"
#include "model/ListedXattrNames.h"
#include "model/SizedRead.h"

#include <algorithm>
#include <cerrno>
#include <sys/types.h>
#include <sys/xattr.h>

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

int systemSetxattr(const char* path, const char* name, const void* value, size_t size,
                   int options) {
#ifdef __APPLE__
    return ::setxattr(path, name, value, size, 0, options);
#else
    return ::setxattr(path, name, value, size, options);
#endif
}

int systemRemovexattr(const char* path, const char* name) {
#ifdef __APPLE__
    return ::removexattr(path, name, 0);
#else
    return ::removexattr(path, name);
#endif
}

// A name reaches the system as a NUL-terminated string: one with a NUL inside would silently act
// on another attribute (its first part), so it is refused.
const char* checkedName(const QByteArray& name) {
    if (name.contains('\0'))
        throw PosixError(EINVAL, PosixError::describe(EINVAL));
    return name.constData();
}

#ifndef __APPLE__
constexpr const char* namespaces[] = {"user.", "trusted.", "security.", "system."};
#endif

bool isListed(const QByteArray& path, const char* name) {
    ListedXattrNames listed;
    const QList<QByteArrayView>& names = listed.read(path);
    return std::find(names.cbegin(), names.cend(), QByteArrayView(name)) != names.cend();
}

QByteArray readWhole(const QByteArray& path, const char* name) {
    return SizedRead::readValue(
        [&](char* buffer, size_t size) {
            return systemGetxattr(path.constData(), name, buffer, size);
        },
        [&] { return isListed(path, name); });
}

void writeXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                int options) {
    if (systemSetxattr(path.constData(), checkedName(name), value.constData(),
                       static_cast<size_t>(value.size()), options) < 0)
        throw PosixError::fromErrno();
}

} // namespace

QByteArray nativePath(const QString& path) {
    return ByteText::encode(path);
}

QByteArray systemAttributeName(const QByteArray& typedName) {
#ifndef __APPLE__
    for (const char* prefix : namespaces) {
        if (typedName.startsWith(prefix))
            return typedName;
    }
    return "user." + typedName;
#else
    return typedName;
#endif
}

QByteArray systemAttributeName(const QString& typedName) {
    // Typed text keeps the bytes it came from (ByteText), so a name that is not UTF-8 reaches the
    // system as given.
    return systemAttributeName(ByteText::encode(typedName));
}

bool namesNoAttribute(const QByteArray& systemName) {
#ifndef __APPLE__
    for (const char* prefix : namespaces) {
        if (systemName == prefix)
            return true;
    }
#endif
    return systemName.isEmpty();
}

QList<QByteArray> listXattrs(const QByteArray& path) {
    ListedXattrNames listed;
    QList<QByteArray> names;
    for (const QByteArrayView name : listed.read(path))
        names.append(name.toByteArray());
    return names;
}

QByteArray getXattr(const QByteArray& path, const QByteArray& name) {
    return readWhole(path, checkedName(name));
}

qint64 getXattrSize(const QByteArray& path, const QByteArray& name) {
    return getListedXattrSize(path, checkedName(name));
}

void readXattrNameList(const QByteArray& path, QByteArray& buffer) {
    SizedRead::readList(buffer, [&](char* into, size_t capacity) {
        return systemListxattr(path.constData(), into, capacity);
    });
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

void setXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    writeXattr(path, name, value, 0);
}

void createXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    writeXattr(path, name, value, XATTR_CREATE);
}

void removeXattr(const QByteArray& path, const QByteArray& name) {
    if (systemRemovexattr(path.constData(), checkedName(name)) < 0)
        throw PosixError::fromErrno();
}

} // namespace palvorn
