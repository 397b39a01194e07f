#pragma once

#include "core/platform/ErrorAlert.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>

namespace palvorn {

// The real alert: a modal critical message box with one "OK" button. It opens without a nested
// event loop, and only one is open at a time: a failure reported while it is open joins its list.
// A long list keeps the box within the screen: the first lines and a count are shown, the whole
// list is in the box's scrollable details.
class QtErrorAlert : public ErrorAlert {
public:
    void showErrorAlert(const QString& informativeText) override;

    // The box now open, if any.
    QMessageBox* openAlert() const { return m_box && m_box->isVisible() ? m_box.data() : nullptr; }

    // Lines shown in the box itself; more go to its details only.
    static constexpr int shownLines = 10;

private:
    void fill();

    QPointer<QMessageBox> m_box;
    QStringList m_lines;
};

} // namespace palvorn
