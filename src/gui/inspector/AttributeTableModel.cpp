#include "gui/inspector/AttributeTableModel.h"

#include "core/model/AttributeName.h"
#include "gui/platform/PlainText.h"

namespace palvorn {

void AttributeTableModel::setRows(QList<ResourceList::Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

ResourceItemPtr AttributeTableModel::recordAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).record : nullptr;
}

QByteArray AttributeTableModel::nameAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).name : QByteArray();
}

std::optional<Error> AttributeTableModel::unreadableAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).unreadable : std::nullopt;
}

int AttributeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AttributeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant AttributeTableModel::data(const QModelIndex& index, int role) const {
    if (index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const ResourceList::Row& row = m_rows.at(index.row());
    const qint64 size = row.record ? qint64(row.record->data().size()) : -1;
    if (role == SortRole)
        return index.column() == 1 ? QVariant(size) : QVariant(displayName(row.name));
    if (role == Qt::ToolTipRole) {
        if (row.unreadable)
            return PlainText::toolTip(row.unreadable->text());
        return PlainText::toolTip(index.column() == 0 ? displayName(row.name) : row.record->size());
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return displayName(row.name);
    case 1:
        return row.record ? row.record->size() : unreadableSize();
    default:
        return {};
    }
}

QVariant AttributeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return tr("Name");
    case 1:
        return tr("Size");
    default:
        return {};
    }
}

} // namespace palvorn
