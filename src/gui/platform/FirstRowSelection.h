#pragma once

#include <QObject>

class QAbstractItemView;

namespace palvorn {

// Down or Up in a list with nothing selected selects its current row, or its first. Qt would move
// on from the row that the focus made current without choosing it, so that with one row nothing
// would ever be selected, and otherwise the first row would be skipped.
class FirstRowSelection : public QObject {
    Q_OBJECT

public:
    // Watches the view's keys for as long as the view lives.
    explicit FirstRowSelection(QAbstractItemView& view);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& m_view;
};

} // namespace palvorn
