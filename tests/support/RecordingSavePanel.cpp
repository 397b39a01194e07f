#include "support/RecordingSavePanel.h"

namespace palvorn {

void RecordingSavePanel::begin(QWidget*, const Options& options, Completion completion) {
    m_requests.append(options);
    completion(m_answer);
}

} // namespace palvorn
