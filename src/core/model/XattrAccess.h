#pragma once

#include "core/model/Error.h"

#include <cerrno>

#include <QByteArray>
#include <QList>
#include <QString>

// The only place that touches extended attributes. Every operation takes the file's path in its
// file-system representation (see nativePath), follows a symbolic link at the path's end unless
// told not to, reads and writes whole values, and returns an Error with the errno on failure. Names
// are bytes, exactly as the system lists them.
namespace palvorn {

// Whether a link at the end of a path is followed, or its own attributes are meant (the l* calls).
enum class Links { Follow, NoFollow };

// The errno of a read of an attribute the item does not have.
#ifdef __APPLE__
inline constexpr int noSuchAttribute = ENOATTR;
#else
inline constexpr int noSuchAttribute = ENODATA;
#endif

// The path's bytes: its UTF-8, with the bytes that ByteText kept as escapes restored.
QByteArray nativePath(const QString& path);

// Linux keeps every attribute in a namespace. A typed name without one of the four namespace
// prefixes means the same name in the user namespace ("com.apple.quarantine" is
// "user.com.apple.quarantine"), as rsync and other tools map names between macOS and Linux.
// Names on macOS are used as given. Listed names already carry their namespace and are never
// passed through this rule.
QByteArray systemAttributeName(const QByteArray& typedName);
// Text carries its bytes as ByteText does: each kept escape becomes its byte again.
QByteArray systemAttributeName(const QString& typedName);

// True when a system name names no attribute: empty, or only a namespace ("user.").
bool namesNoAttribute(const QByteArray& systemName);

// Every non-empty name in the order the system lists them, valid UTF-8 or not.
Result<QList<QByteArray>> listXattrs(const QByteArray& path, Links links = Links::Follow);

Result<QByteArray> getXattr(const QByteArray& path, const QByteArray& name,
                            Links links = Links::Follow);
Result<qint64> getXattrSize(const QByteArray& path, const QByteArray& name,
                            Links links = Links::Follow);

// For walks: the raw NUL-separated list into a buffer that keeps its capacity from item to item,
// and reads by a name exactly as listed.
Result<> readXattrNameList(const QByteArray& path, QByteArray& buffer, Links links = Links::Follow);
Result<QByteArray> getListedXattr(const QByteArray& path, const char* listedName,
                                  Links links = Links::Follow);
Result<qint64> getListedXattrSize(const QByteArray& path, const char* listedName,
                                  Links links = Links::Follow);

// Creates the attribute or replaces its value.
Result<> setXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                  Links links = Links::Follow);
// Creates the attribute only: an attribute of that name is never replaced (EEXIST).
Result<> createXattr(const QByteArray& path, const QByteArray& name, const QByteArray& value,
                     Links links = Links::Follow);
Result<> removeXattr(const QByteArray& path, const QByteArray& name, Links links = Links::Follow);

} // namespace palvorn
