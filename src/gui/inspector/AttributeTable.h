#pragma once

#include "core/model/ResourceList.h"

#include <utility>

#include <QList>
#include <QObject>

class QSortFilterProxyModel;
class QTableView;

namespace palvorn {

class AttributeTableModel;

// The inspector's table of attributes and its selection. Sorting is for the eye only: rows are
// always told by their place in the system's order, whatever the table's sorting.
class AttributeTable : public QObject {
    Q_OBJECT

public:
    // Sets the view up to show the rows; the view stays its owner's.
    explicit AttributeTable(QTableView& view);

    // The names as the commands write them: listed names keep their bytes, typed ones get the
    // namespace rule.
    static QList<QByteArray> systemNames(const QList<QByteArray>& names);

    const AttributeTableModel& model() const { return *m_model; }
    void setRows(QList<ResourceList::Row> rows);

    bool hasSelection() const;
    // Selected rows in the system's order.
    QList<int> selectedRows() const;
    // The row whose content is shown: the current row when it is selected, else the first
    // selected row; -1 without a selection.
    int shownRow() const;
    // The selected rows' names as listed.
    QList<QByteArray> selectedNames() const;

    // Selects the rows of these names (in their system form), the first of them current.
    void selectNames(const QList<QByteArray>& names);
    // After a rename: each renamed name selected where the old name is gone, else the old one.
    void selectRenamed(const QList<std::pair<QByteArray, QByteArray>>& renames);

private:
    QTableView& m_view;
    AttributeTableModel* m_model;
    QSortFilterProxyModel* m_sorted;
};

} // namespace palvorn
