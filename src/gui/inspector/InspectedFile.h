#pragma once

#include "core/model/Error.h"

#include <memory>

#include <QList>
#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace palvorn {

class ResourceList;

// The file an inspector shows: its path, its name as shown, and its attribute list as last read.
// The path is watched, so that another program's change is announced once for a burst of them.
class InspectedFile : public QObject {
    Q_OBJECT

public:
    explicit InspectedFile(QObject* parent = nullptr);
    ~InspectedFile() override;

    // For a path given as bytes (see ByteText), which a URL cannot carry unchanged. The list of
    // the file shown before is forgotten.
    void setPath(const QString& path);
    bool hasFile() const { return m_hasFile; }
    const QString& path() const { return m_path; }
    // The file's own name as names are shown: each byte that is not UTF-8 as \xHH.
    const QString& fileName() const { return m_fileName; }

    // The list as last read; none before the first read, or after forget().
    const ResourceList* attributes() const { return m_attributes.get(); }
    // Reads the list afresh and watches the path again; the read failures are the caller's to
    // show.
    QList<Error> load();
    void forget();

Q_SIGNALS:
    // Another program changed the file (or the folder) or replaced it.
    void changedElsewhere();

private:
    void watch();

    QString m_path;
    QString m_fileName;
    bool m_hasFile = false;
    std::unique_ptr<ResourceList> m_attributes;
    QFileSystemWatcher* m_watcher;
    // Coalesces bursts of change notices into one announcement.
    QTimer* m_quietTimer;
};

} // namespace palvorn
