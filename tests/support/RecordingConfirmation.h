#pragma once

#include "core/platform/Confirmation.h"

#include <QStringList>

namespace palvorn {

// Stand-in for tests: records each question and answers it at once with the answer set.
class RecordingConfirmation : public Confirmation {
public:
    void ask(QWidget* window, const QString& question, std::function<void()> onYes) override;

    void answerWith(bool yes) { m_yes = yes; }
    const QStringList& questions() const { return m_questions; }

private:
    QStringList m_questions;
    bool m_yes = true;
};

} // namespace palvorn
