#include "support/RecordingUpdateAlert.h"

namespace palvorn {

void RecordingUpdateAlert::showUpdateError(const QString& informativeText) {
    m_errors.append(informativeText);
}

bool RecordingUpdateAlert::offerUpdate(const QString& messageText, const QString& informativeText) {
    m_offers.append({messageText, informativeText});
    return m_download;
}

} // namespace palvorn
