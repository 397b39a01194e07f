#pragma once

#include "model/PosixError.h"

#include <QByteArray>
#include <QStringList>

// The only place that touches extended attributes. Every operation takes the file's path in its
// file-system representation (see nativePath), follows symbolic links, reads and writes whole
// values, and throws PosixError on failure.
namespace palvorn {

QByteArray nativePath(const QString& path);

// Linux keeps every attribute in a namespace. A name without one of the four namespace prefixes
// means the same name in the user namespace ("com.apple.quarantine" is
// "user.com.apple.quarantine"), as rsync and other tools map names between macOS and Linux.
// Names on macOS are used as given.
QByteArray systemAttributeName(const QString& name);

// Names in the order the system lists them; names that are not valid UTF-8 are left out.
QStringList listXattrs(const QByteArray& path);

QByteArray getXattr(const QByteArray& path, const QString& name);
qint64 getXattrSize(const QByteArray& path, const QString& name);

// For walks: the raw NUL-separated list into a buffer that keeps its capacity from item to item,
// and reads by a name exactly as listed (namespace included, no rule applied).
void readXattrNameList(const QByteArray& path, QByteArray& buffer);
QByteArray getListedXattr(const QByteArray& path, const char* listedName);
qint64 getListedXattrSize(const QByteArray& path, const char* listedName);

// Creates the attribute or replaces its value.
void setXattr(const QByteArray& path, const QString& name, const QByteArray& value);
void removeXattr(const QByteArray& path, const QString& name);

} // namespace palvorn
