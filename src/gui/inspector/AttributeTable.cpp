#include "gui/inspector/AttributeTable.h"

#include "core/model/AttributeName.h"
#include "gui/inspector/AttributeTableModel.h"

#include <algorithm>

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace palvorn {

AttributeTable::AttributeTable(QTableView& view)
    : QObject(&view), m_view(view), m_model(new AttributeTableModel(this)),
      m_sorted(new QSortFilterProxyModel(this)) {
    // Sorting is the user's choice; until a header is clicked the rows keep the system's order.
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(AttributeTableModel::SortRole);
    m_view.setModel(m_sorted);
    QHeaderView* header = m_view.horizontalHeader();
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    m_view.setSortingEnabled(true);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

QList<QByteArray> AttributeTable::systemNames(const QList<QByteArray>& names) {
    QList<QByteArray> system;
    for (const QByteArray& name : names)
        system.append(systemAttributeName(name));
    return system;
}

void AttributeTable::setRows(QList<ResourceList::Row> rows) {
    m_model->setRows(std::move(rows));
}

bool AttributeTable::hasSelection() const {
    return m_view.selectionModel()->hasSelection();
}

QList<int> AttributeTable::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_view.selectionModel()->selectedRows())
        rows.append(m_sorted->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int AttributeTable::shownRow() const {
    const QItemSelectionModel* selection = m_view.selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return m_sorted->mapToSource(current).row();
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst();
}

QList<QByteArray> AttributeTable::selectedNames() const {
    QList<QByteArray> names;
    for (int row : selectedRows()) {
        const QByteArray name = m_model->nameAt(row);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

void AttributeTable::selectNames(const QList<QByteArray>& names) {
    QItemSelection selection;
    QModelIndex current;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!names.contains(systemAttributeName(m_model->nameAt(row))))
            continue;
        const QModelIndex index = m_sorted->mapFromSource(m_model->index(row, 0));
        selection.select(index, index);
        if (!current.isValid())
            current = index;
    }
    QItemSelectionModel* model = m_view.selectionModel();
    model->clearSelection();
    if (!current.isValid())
        return;
    model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// A rename that did not happen leaves the old name, which stays selected; a name that was in the
// way is never selected in its place.
void AttributeTable::selectRenamed(const QList<std::pair<QByteArray, QByteArray>>& renames) {
    QList<QByteArray> listed;
    for (int row = 0; row < m_model->rowCount(); ++row)
        listed.append(systemAttributeName(m_model->nameAt(row)));
    QList<QByteArray> chosen;
    for (const auto& [from, to] : renames)
        chosen.append(systemAttributeName(listed.contains(systemAttributeName(from)) ? from : to));
    selectNames(chosen);
}

} // namespace palvorn
