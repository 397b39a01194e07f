#pragma once

#include <QSize>

class QWidget;

namespace palvorn {

// The size a window opens at: the size it was laid out at, but never beyond nine tenths of its
// screen's free area (nor below its minimum size), so that a small or magnified screen shows the
// whole window and its title bar.
class InitialSize {
public:
    static QSize within(const QWidget& window, const QSize& laidOut);
};

} // namespace palvorn
