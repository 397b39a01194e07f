#include "inspector/AttributeTableModel.h"

#include "platform/PlainText.h"

namespace palvorn {

void AttributeTableModel::setRecords(QList<ResourceItemPtr> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

ResourceItemPtr AttributeTableModel::recordAt(int row) const {
    return row >= 0 && row < m_records.size() ? m_records.at(row) : nullptr;
}

int AttributeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_records.size());
}

int AttributeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant AttributeTableModel::data(const QModelIndex& index, int role) const {
    const ResourceItemPtr record = recordAt(index.row());
    if (record && role == SortRole)
        return index.column() == 1 ? QVariant(qint64(record->data().size()))
                                   : QVariant(record->name());
    if (!record || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (role == Qt::ToolTipRole)
        return PlainText::toolTip(index.column() == 0 ? record->name() : record->size());
    switch (index.column()) {
    case 0:
        return record->name();
    case 1:
        return record->size();
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
