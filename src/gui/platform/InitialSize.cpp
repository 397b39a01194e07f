#include "gui/platform/InitialSize.h"

#include <QScreen>
#include <QWidget>

namespace palvorn {

QSize InitialSize::within(const QWidget& window, const QSize& laidOut) {
    const QScreen* shownOn = window.screen();
    if (!shownOn)
        return laidOut;
    return laidOut.boundedTo(shownOn->availableSize() * 9 / 10).expandedTo(window.minimumSize());
}

} // namespace palvorn
