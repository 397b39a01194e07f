#include "support/RecordingWorkspace.h"

namespace palvorn {

void RecordingWorkspace::openURL(const QUrl& url) {
    m_opened.append(url);
}

} // namespace palvorn
