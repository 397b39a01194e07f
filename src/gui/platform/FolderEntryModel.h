#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

namespace palvorn {

// The entries of one folder for the open dialog, names as bytes: a name that is not UTF-8 is
// listed (shown as names are, each such byte as \xHH) and its path keeps every byte (see
// ByteText). Qt's own file model leaves such names out. Folders come first, then files, each by
// name.
class FolderEntryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Entry {
        QString path; // the folder's path, a slash and the name, as bytes
        QString shownName;
        bool isFolder = false; // a link to a folder is one
        qint64 size = 0;
    };

    // A folder of more entries lists these and leaves the rest to be typed: the list is built
    // whole and lives while the dialog shows the folder.
    static constexpr qsizetype maxEntries = 200'000;

    struct Options {
        bool showHidden = false;
        bool foldersOnly = false;
    };

    FolderEntryModel(QIcon folderIcon, QIcon fileIcon, QObject* parent = nullptr);

    // Lists the folder, replacing the entries. False, with the reason, when it cannot be read; the
    // entries are then left as they were.
    bool list(const QString& folder, const Options& options, QString* reason);
    // Whether the last listing stopped at maxEntries.
    bool cutShort() const { return m_cutShort; }
    const Entry& entryAt(int row) const { return m_entries.at(row); }
    int rowOf(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QIcon m_folderIcon;
    QIcon m_fileIcon;
    QList<Entry> m_entries;
    bool m_cutShort = false;
};

} // namespace palvorn
