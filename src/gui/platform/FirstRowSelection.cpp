#include "gui/platform/FirstRowSelection.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace palvorn {

FirstRowSelection::FirstRowSelection(QAbstractItemView& view) : QObject(&view), m_view(view) {
    view.installEventFilter(this);
}

bool FirstRowSelection::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_view || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QItemSelectionModel* selection = m_view.selectionModel();
    if (!plain || (key->key() != Qt::Key_Down && key->key() != Qt::Key_Up) || !selection ||
        selection->hasSelection() || !m_view.model() || m_view.model()->rowCount() == 0)
        return false;
    const QModelIndex current = selection->currentIndex();
    selection->setCurrentIndex(current.isValid() ? current : m_view.model()->index(0, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

} // namespace palvorn
