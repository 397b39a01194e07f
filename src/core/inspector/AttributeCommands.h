#pragma once

#include "core/model/Error.h"
#include "core/model/ResourceItem.h"
#include "core/model/XattrAccess.h"

#include <QByteArray>
#include <QList>

namespace palvorn {

// What the inspector's commands do to a file, shared with palvorn-cli. Each goes on past a failing
// item and returns every failure, naming its file and attribute, so that the caller can show them
// together. A record's name is used as listed; a name without a namespace (typed, or from another
// system's pasteboard) gets the namespace rule.
class AttributeCommands {
public:
    // Creates or replaces the attribute with the record's name and bytes. With Links::NoFollow
    // these commands act on a link itself.
    static QList<Error> writeRecord(const QString& path, const ResourceItem& record,
                                    Links links = Links::Follow);
    // The editor's save. original is the record the editor opened, or nullptr for a new one. An
    // unchanged name (as shown) writes under the original's own bytes; a changed name only creates
    // an attribute, never replacing one in the way. The original stays as it was.
    static QList<Error> saveEditedRecord(const QString& path, const ResourceItem* original,
                                         const ResourceItem& edited);
    static QList<Error> removeRecords(const QString& path, const QList<ResourceItemPtr>& records,
                                      Links links = Links::Follow);
    // Writes every archived record; archives that are not records are skipped.
    static QList<Error> pasteArchives(const QString& path, const QList<QByteArray>& archives,
                                      Links links = Links::Follow);
};

} // namespace palvorn
