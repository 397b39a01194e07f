#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace palvorn {

// The "#" flag suffix of attribute names. An attribute cannot be renamed, so changing a name
// creates the new name with the value and then removes the old one. The new name is created only
// if it does not exist: a rename never replaces an attribute that is in the way.
class NameFlags {
public:
    // The name before its first "#", counted in whole characters: a "#" that a combining mark
    // joins is not a "#". None when the name has no flag suffix.
    static std::optional<QString> baseName(const QString& name);
    // The same on a name's bytes; a name that is not UTF-8 is cut at its first "#" byte.
    static std::optional<QByteArray> baseName(const QByteArray& name);

    // Each returns the error of the step that failed: read, creation of the new name (EEXIST
    // when one is in the way; then nothing changed), or removal of the old name.
    static Result<> addFlagToAttribute(const QByteArray& path, const QByteArray& name,
                                       const QByteArray& flag);
    static Result<> stripFlagFromAttribute(const QByteArray& path, const QByteArray& name);

    // The commands over several attributes, in order, going on past a failing one. Names are
    // listed names or typed ones (the namespace rule applies). Each failure names its attribute:
    // the one in the way when the new name exists. When any failed, the list also holds a line
    // for each name that was renamed ("Flags stripped, renamed to …"), in order, so that it says
    // name by name what changed and what did not. An empty flag text does nothing.
    static QList<Error> addNameFlags(const QString& path, const QList<QByteArray>& names,
                                     const QByteArray& flag);
    static QList<Error> stripNameFlags(const QString& path, const QList<QByteArray>& names);
};

} // namespace palvorn
