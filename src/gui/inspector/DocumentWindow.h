#pragma once

#include <QMainWindow>

namespace palvorn {

class ViewController;
struct Platform;

// The document window: a frame around the inspector, deleted when closed.
class DocumentWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit DocumentWindow(Platform platform, QWidget* parent = nullptr);

    ViewController& viewController() const { return *m_viewController; }

private:
    ViewController* m_viewController;
};

} // namespace palvorn
