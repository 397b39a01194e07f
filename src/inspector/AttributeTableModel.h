#pragma once

#include "model/ResourceItem.h"

#include <QAbstractTableModel>
#include <QList>

namespace palvorn {

// The inspector's table: one row per record, the name in the first column, the size text in the
// second. Any other request gets nothing rather than failing.
class AttributeTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // What the columns sort by: the name, and the size as a number of bytes.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(QList<ResourceItemPtr> records);
    ResourceItemPtr recordAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<ResourceItemPtr> m_records;
};

} // namespace palvorn
