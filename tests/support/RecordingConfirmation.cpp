#include "support/RecordingConfirmation.h"

namespace palvorn {

void RecordingConfirmation::ask(QWidget*, const QString& question, std::function<void()> onYes) {
    m_questions.append(question);
    if (m_yes)
        onYes();
}

} // namespace palvorn
