#include "app/ToolWindow.h"

namespace palvorn {

ToolWindow::ToolWindow(QWidget* contentController, QWidget* parent) : QMainWindow(parent) {
    setCentralWidget(contentController);
    resize(contentController->size());
}

} // namespace palvorn
