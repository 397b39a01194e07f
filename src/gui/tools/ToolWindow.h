#pragma once

#include <QMainWindow>

namespace palvorn {

// The frame of a tool window (compare, stripper, ...): its controller as the central widget.
// The application keeps every tool window for the rest of the run, so closing only hides it.
class ToolWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ToolWindow(QWidget* contentController, QWidget* parent = nullptr);

    template <typename Controller> Controller* contentController() const {
        return qobject_cast<Controller*>(centralWidget());
    }
};

} // namespace palvorn
