#include "cli/StderrErrorAlert.h"

namespace palvorn {

void StderrErrorAlert::showErrorAlert(const QString& informativeText) {
    m_err << informativeText << "\n";
    m_err.flush();
    m_anyShown = true;
}

} // namespace palvorn
