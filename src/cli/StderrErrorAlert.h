#pragma once

#include "platform/ErrorAlert.h"

#include <QTextStream>

namespace palvorn {

// What an alert is on the command line: its informative text on standard error. Remembers that
// something failed so that the command can exit with a failure status.
class StderrErrorAlert : public ErrorAlert {
public:
    explicit StderrErrorAlert(QTextStream& err) : m_err(err) {}

    void showErrorAlert(const QString& informativeText) override;

    bool anyShown() const { return m_anyShown; }

private:
    QTextStream& m_err;
    bool m_anyShown = false;
};

} // namespace palvorn
