#pragma once

#include "model/ResourceItem.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace palvorn {

// What the inspector's commands do to a file, shared with palvorn-cli: each returns the texts of
// its failures, worded as the alert shows them, and goes on past a failing item.
class AttributeCommands {
public:
    // Creates or replaces the attribute with the record's name and bytes.
    static QStringList writeRecord(const QString& path, const ResourceItem& record);
    static QStringList removeRecords(const QString& path, const QList<ResourceItemPtr>& records);
    // Writes every archived record; archives that are not records are skipped.
    static QStringList pasteArchives(const QString& path, const QList<QByteArray>& archives);
};

} // namespace palvorn
