#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace palvorn {

// The "#" flag suffix of attribute names. An attribute cannot be renamed, so changing a name
// copies the value to the new name and removes the old one.
class NameFlags {
public:
    // The name before its first "#", counted in whole characters: a "#" that a combining mark
    // joins is not a "#". None when the name has no flag suffix.
    static std::optional<QString> baseName(const QString& name);

    // Each throws PosixError from the step that failed: read, write, or removal of the old name.
    static void addFlagToAttribute(const QByteArray& path, const QString& name,
                                   const QString& flag);
    static void stripFlagFromAttribute(const QByteArray& path, const QString& name);

    // The commands over several attributes, in order: the failures' fixed messages, one per
    // failing attribute. An empty flag text does nothing.
    static QStringList addNameFlags(const QString& path, const QStringList& names,
                                    const QString& flag);
    static QStringList stripNameFlags(const QString& path, const QStringList& names);
};

} // namespace palvorn
