#include "support/RecordingOpenPanel.h"

namespace palvorn {

void RecordingOpenPanel::begin(QWidget* parent, const Options& options, Completion completion) {
    m_requests.append({parent != nullptr, options});
    completion(m_answer);
}

} // namespace palvorn
