#include "core/model/XattrAccess.h"

#include "core/model/ByteText.h"
#include "core/model/PosixError.h"
#include "core/model/SizedRead.h"

#include <algorithm>
#include <cerrno>
#include <sys/types.h>
#include <sys/xattr.h>

namespace palvorn {

namespace {

ssize_t systemListxattr(const char* path, char* buffer, size_t size, Links links) {
#ifdef __APPLE__
    return ::listxattr(path, buffer, size, links == Links::NoFollow ? XATTR_NOFOLLOW : 0);
#else
    return links == Links::NoFollow ? ::llistxattr(path, buffer, size)
                                    : ::listxattr(path, buffer, size);
#endif
}

ssize_t systemGetxattr(const char* path, const char* name, void* buffer, size_t size, Links links) {
#ifdef __APPLE__
    return ::getxattr(path, name, buffer, size, 0, links == Links::NoFollow ? XATTR_NOFOLLOW : 0);
#else
    return links == Links::NoFollow ? ::lgetxattr(path, name, buffer, size)
                                    : ::getxattr(path, name, buffer, size);
#endif
}

int systemSetxattr(const char* path, const char* name, const void* value, size_t size, int options,
                   Links links) {
#ifdef __APPLE__
    return ::setxattr(path, name, value, size, 0,
                      options | (links == Links::NoFollow ? XATTR_NOFOLLOW : 0));
#else
    return links == Links::NoFollow ? ::lsetxattr(path, name, value, size, options)
                                    : ::setxattr(path, name, value, size, options);
#endif
}

int systemRemovexattr(const char* path, const char* name, Links links) {
#ifdef __APPLE__
    return ::removexattr(path, name, links == Links::NoFollow ? XATTR_NOFOLLOW : 0);
#else
    return links == Links::NoFollow ? ::lremovexattr(path, name) : ::removexattr(path, name);
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

void readNameList(const QByteArray& path, QByteArray& buffer, Links links) {
    SizedRead::readList(buffer, [&](char* into, size_t capacity) {
        return systemListxattr(path.constData(), into, capacity, links);
    });
}

QList<QByteArray> listedNames(const QByteArray& path, Links links) {
    QByteArray buffer;
    readNameList(path, buffer, links);
    QList<QByteArray> names;
    for (const QByteArray& name : buffer.split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

bool isListed(const QByteArray& path, const char* name, Links links) {
    const QList<QByteArray> names = listedNames(path, links);
    return std::find(names.cbegin(), names.cend(), QByteArrayView(name)) != names.cend();
}

QByteArray readWhole(const QByteArray& path, const char* name, Links links) {
    return SizedRead::readValue(
        [&](char* buffer, size_t size) {
            return systemGetxattr(path.constData(), name, buffer, size, links);
        },
        [&] { return isListed(path, name, links); });
}

void writeXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                int options, Links links) {
    if (systemSetxattr(path.constData(), checkedName(name), value.constData(),
                       static_cast<size_t>(value.size()), options, links) < 0)
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

Result<QList<QByteArray>> listXattrs(const QByteArray& path, Links links) {
    return caught([&] { return listedNames(path, links); });
}

Result<QByteArray> getXattr(const QByteArray& path, const QByteArray& name, Links links) {
    return caught([&] { return readWhole(path, checkedName(name), links); });
}

Result<qint64> getXattrSize(const QByteArray& path, const QByteArray& name, Links links) {
    return caught([&] { return checkedName(name); }).and_then([&](const char* checked) {
        return getListedXattrSize(path, checked, links);
    });
}

Result<> readXattrNameList(const QByteArray& path, QByteArray& buffer, Links links) {
    return caught([&] { readNameList(path, buffer, links); });
}

Result<QByteArray> getListedXattr(const QByteArray& path, const char* listedName, Links links) {
    return caught([&] { return readWhole(path, listedName, links); });
}

Result<qint64> getListedXattrSize(const QByteArray& path, const char* listedName, Links links) {
    const ssize_t size = systemGetxattr(path.constData(), listedName, nullptr, 0, links);
    if (size < 0)
        return failure(Error::fromErrno());
    return size;
}

Result<> setXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                  Links links) {
    return caught([&] { writeXattr(path, name, value, 0, links); });
}

Result<> createXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                     Links links) {
    return caught([&] { writeXattr(path, name, value, XATTR_CREATE, links); });
}

Result<> removeXattr(const QByteArray& path, const QByteArray& name, Links links) {
    return caught([&] {
        if (systemRemovexattr(path.constData(), checkedName(name), links) < 0)
            throw PosixError::fromErrno();
    });
}

} // namespace palvorn
