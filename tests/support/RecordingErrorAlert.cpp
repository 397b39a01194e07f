#include "support/RecordingErrorAlert.h"

namespace palvorn {

void RecordingErrorAlert::showErrorAlert(const QString& informativeText) {
    m_shown.append(informativeText);
}

} // namespace palvorn
