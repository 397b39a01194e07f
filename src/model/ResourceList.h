#pragma once

#include "model/ResourceItem.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace palvorn {

class ErrorAlert;

// A snapshot of one file's attributes, in the order the system lists them. Built completely in
// the constructor and never refreshed: callers make a new list after changing the file.
class ResourceList {
public:
    // Never fails: each failing read is shown through the alert (one per failing name) and
    // leaves the list shorter.
    ResourceList(QUrl url, ErrorAlert& alert);

    const QUrl& url() const { return m_url; }
    const QList<ResourceItemPtr>& children() const { return m_children; }
    // The display text of every record, in list order.
    QStringList displayTexts() const;

private:
    QUrl m_url;
    QList<ResourceItemPtr> m_children;
};

} // namespace palvorn
