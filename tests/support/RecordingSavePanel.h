#pragma once

#include "core/platform/SavePanel.h"

#include <QList>

namespace palvorn {

// Stand-in for tests: answers every panel at once with the URL it was given (none: cancel), and
// remembers how each panel was set up.
class RecordingSavePanel : public SavePanel {
public:
    void answerWith(std::optional<QUrl> url) { m_answer = std::move(url); }
    void begin(QWidget* parent, const Options& options, Completion completion) override;

    const QList<Options>& requests() const { return m_requests; }

private:
    std::optional<QUrl> m_answer;
    QList<Options> m_requests;
};

} // namespace palvorn
