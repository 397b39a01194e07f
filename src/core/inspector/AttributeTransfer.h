#pragma once

#include "core/inspector/AttributeChange.h"
#include "core/model/AttributeFailure.h"

#include <QList>
#include <QString>

namespace palvorn {

// The inspector's File > Export Attributes… and Import Attributes…: one file's attributes to and
// from the dump form, base64 values so that no byte is lost.
class AttributeTransfer {
public:
    // Writes every attribute of the file at path to dumpPath, whole or not at all (AtomicSave): an
    // attribute that cannot be read leaves the dump unwritten, and is among the failures. Never
    // saved over the file itself.
    static QList<AttributeFailure> exportDump(const QString& path, const QString& dumpPath);

    struct Import {
        // Every attribute line of the dump, whichever file its block names; where a name comes
        // more than once, its last value, as applying the lines in order would leave it.
        AttributeChange::Values values;
        // Lines that cannot be read, as "LINE: REASON" of the dump file.
        QList<AttributeFailure> problems;
    };
    // Memory: one value (at most 64 KiB) per distinct name of the dump.
    static Import readDump(const QString& dumpPath);

    // Writes each value to the file at path, names as the dump lists them (namespace included);
    // a name that cannot be written is a failure and the rest goes on.
    static QList<AttributeFailure> apply(const QString& path,
                                         const AttributeChange::Values& values);
};

} // namespace palvorn
