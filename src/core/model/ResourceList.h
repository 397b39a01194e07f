#pragma once

#include "core/model/Error.h"
#include "core/model/NameFilter.h"
#include "core/model/ResourceItem.h"
#include "core/model/XattrAccess.h"

#include <optional>

#include <QList>
#include <QStringList>
#include <QUrl>

namespace palvorn {

// A snapshot of one file's attributes, in the order the system lists them. Built completely in
// the constructor and never refreshed: callers make a new list after changing the file. Its size
// is bounded by the system: one file's names fit in 64 KiB on Linux, and each value in 64 KiB.
class ResourceList {
public:
    // One listed name: its record, or, where its value could not be read, the failure instead.
    struct Row {
        QByteArray name;
        ResourceItemPtr record; // none when the value could not be read
        std::optional<Error> unreadable;
    };

    // Never fails: each failing read is kept in failures() and leaves children() shorter; rows()
    // keeps it in its place.
    explicit ResourceList(QUrl url);
    // For a path given as bytes (see ByteText), which a URL cannot carry unchanged; with
    // Links::NoFollow a link's own attributes; only the names the filter takes (and only their
    // values are read).
    static ResourceList ofPath(const QString& localPath, Links links = Links::Follow,
                               const NameFilter& filter = {});

    const QUrl& url() const { return m_url; }
    const QList<ResourceItemPtr>& children() const { return m_children; }
    // Every listed name in the system's order, the unreadable ones included.
    const QList<Row>& rows() const { return m_rows; }
    const QList<Error>& failures() const { return m_failures; }
    // The display text of every record, in list order.
    QStringList displayTexts() const;

private:
    ResourceList(QUrl url, const QString& localPath, Links links, const NameFilter& filter);

    QUrl m_url;
    QList<ResourceItemPtr> m_children;
    QList<Row> m_rows;
    QList<Error> m_failures;
};

} // namespace palvorn
