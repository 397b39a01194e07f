#pragma once

#include "core/model/ResourceList.h"

#include <QAbstractTableModel>
#include <QList>

namespace palvorn {

// The inspector's table: one row per listed name, the name in the first column, the size text in
// the second. A value that could not be read keeps its row, without a record. Any other request
// gets nothing rather than failing.
class AttributeTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // What the columns sort by: the name, and the size as a number of bytes.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    static QString unreadableSize() { return tr("cannot be read"); }

    void setRows(QList<ResourceList::Row> rows);
    // The row's record; none past the end or where the value could not be read.
    ResourceItemPtr recordAt(int row) const;
    // The row's name as listed; empty past the end.
    QByteArray nameAt(int row) const;
    // Why the row's value could not be read; none where it could.
    std::optional<Error> unreadableAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<ResourceList::Row> m_rows;
};

} // namespace palvorn
