#include "gui/inspector/DocumentWindow.h"

#include "gui/inspector/InspectorView.h"
#include "gui/platform/InitialSize.h"
#include "gui/platform/PlainText.h"

#include <QStatusBar>

namespace palvorn {

DocumentWindow::DocumentWindow(Platform platform, QWidget* parent)
    : QMainWindow(parent), m_inspectorView(new InspectorView(platform, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(m_inspectorView);
    resize(InitialSize::within(*this, m_inspectorView->size()));
    // The status line appears with the first note; it stays until the next command's.
    connect(m_inspectorView, &InspectorView::statusNote, this, [this](const QString& note) {
        if (!note.isEmpty()) {
            statusBar()->showMessage(note);
            statusBar()->setToolTip(PlainText::toolTip(note)); // whole, where the line is narrow
        } else if (auto* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly)) {
            bar->clearMessage();
            bar->setToolTip(QString());
        }
    });
}

} // namespace palvorn
