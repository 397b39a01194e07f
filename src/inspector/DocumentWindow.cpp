#include "inspector/DocumentWindow.h"

#include "inspector/ViewController.h"
#include "platform/InitialSize.h"

namespace palvorn {

DocumentWindow::DocumentWindow(Platform platform, QWidget* parent)
    : QMainWindow(parent), m_viewController(new ViewController(platform, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(m_viewController);
    resize(InitialSize::within(*this, m_viewController->size()));
}

} // namespace palvorn
