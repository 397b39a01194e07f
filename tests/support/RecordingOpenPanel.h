#pragma once

#include "core/platform/OpenPanel.h"

namespace palvorn {

// Stand-in for tests: answers every panel at once with the paths it was given (none: cancel), and
// remembers how each panel was set up.
class RecordingOpenPanel : public OpenPanel {
public:
    struct Request {
        bool asSheet;
        Options options;
    };

    void answerWith(QStringList paths) { m_answer = std::move(paths); }
    void begin(QWidget* parent, const Options& options, Completion completion) override;

    const QList<Request>& requests() const { return m_requests; }

private:
    QStringList m_answer;
    QList<Request> m_requests;
};

} // namespace palvorn
