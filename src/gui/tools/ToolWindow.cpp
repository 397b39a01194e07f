#include "gui/tools/ToolWindow.h"

#include "gui/platform/InitialSize.h"

namespace palvorn {

ToolWindow::ToolWindow(QWidget* contentController, QWidget* parent) : QMainWindow(parent) {
    setCentralWidget(contentController);
    // A controller whose content is all in its .ui file names its window there.
    setWindowTitle(contentController->windowTitle());
    resize(InitialSize::within(*this, contentController->size()));
}

} // namespace palvorn
