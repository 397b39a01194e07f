#include "gui/platform/QtWorkspace.h"

#include <QDesktopServices>
#include <QUrl>

namespace palvorn {

void QtWorkspace::openURL(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace palvorn
