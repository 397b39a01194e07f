#include "gui/platform/FolderEntryModel.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/Error.h"
#include "core/model/FolderStream.h"
#include "core/model/XattrAccess.h"
#include "gui/platform/PlainText.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <QScopeGuard>

namespace palvorn {

namespace {

bool comesBefore(const FolderEntryModel::Entry& a, const FolderEntryModel::Entry& b) {
    if (a.isFolder != b.isFolder)
        return a.isFolder;
    const int order = a.shownName.compare(b.shownName, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.path < b.path;
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

FolderEntryModel::FolderEntryModel(QIcon folderIcon, QIcon fileIcon, QObject* parent)
    : QAbstractTableModel(parent), m_folderIcon(std::move(folderIcon)),
      m_fileIcon(std::move(fileIcon)) {}

bool FolderEntryModel::list(const QString& folder, const Options& options, QString* reason) {
    int error = 0;
    const int fd = FolderStream::open(AT_FDCWD, nativePath(folder).constData(), true, &error);
    if (fd < 0) {
        *reason = Error::describe(error);
        return false;
    }
    const auto closeFolder = qScopeGuard([fd] { ::close(fd); });
    FolderStream stream;
    stream.start(fd);
    QList<Entry> entries;
    bool cutShort = false;
    while (const std::optional<FolderStream::Entry> item = stream.next()) {
        const QByteArray name(item->name);
        if (!options.showHidden && name.startsWith('.'))
            continue;
        if (entries.size() == maxEntries) {
            cutShort = true;
            break;
        }
        // Followed: a link to a folder is gone into as the folder is.
        struct stat status = {};
        const bool known = ::fstatat(fd, item->name, &status, 0) == 0;
        const bool isFolder = known && S_ISDIR(status.st_mode);
        if (options.foldersOnly && !isFolder)
            continue;
        entries.append({joined(folder, ByteText::decode(name)), displayName(name), isFolder,
                        known ? qint64(status.st_size) : 0});
    }
    std::sort(entries.begin(), entries.end(), comesBefore);
    beginResetModel();
    m_entries = std::move(entries);
    m_cutShort = cutShort;
    endResetModel();
    return true;
}

int FolderEntryModel::rowOf(const QString& path) const {
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).path == path)
            return row;
    }
    return -1;
}

int FolderEntryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int FolderEntryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FolderEntryModel::data(const QModelIndex& index, int role) const {
    if (index.row() < 0 || index.row() >= m_entries.size())
        return {};
    const Entry& entry = m_entries.at(index.row());
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return entry.shownName;
        if (role == Qt::ToolTipRole)
            return PlainText::toolTip(entry.shownName);
        if (role == Qt::DecorationRole)
            return entry.isFolder ? m_folderIcon : m_fileIcon;
        return {};
    }
    if (role == Qt::DisplayRole && !entry.isFolder)
        return QLocale().formattedDataSize(entry.size);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FolderEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Name") : tr("Size");
}

} // namespace palvorn
