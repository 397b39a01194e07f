#include "app/ToolWindow.h"

#include <QScreen>

namespace palvorn {

ToolWindow::ToolWindow(QWidget* contentController, QWidget* parent) : QMainWindow(parent) {
    setCentralWidget(contentController);
    // A controller whose content is all in its .ui file names its window there.
    setWindowTitle(contentController->windowTitle());
    resize(initialSize(contentController->size()));
}

// The size the controller was laid out at, but never beyond nine tenths of the screen's free
// area, so that a small or magnified screen shows the whole window and its title bar.
QSize ToolWindow::initialSize(const QSize& laidOut) const {
    const QScreen* shownOn = screen();
    if (!shownOn)
        return laidOut;
    return laidOut.boundedTo(shownOn->availableSize() * 9 / 10);
}

} // namespace palvorn
