#include "cli/StderrErrorAlert.h"

namespace palvorn {

void StderrErrorAlert::showErrorAlert(const QString& informativeText) {
    writeLine(m_err, informativeText);
    m_anyShown = true;
}

void StderrErrorAlert::showFailure(const Error& failure) {
    const QString line = failure.lineText();
    m_anyShown = true;
    if (failure.concernsItem()) {
        if (m_itemLines.contains(line))
            return;
        m_itemLines.insert(line);
    }
    writeLine(m_err, line);
}

void StderrErrorAlert::showFailures(const QList<Error>& failures) {
    for (const Error& failure : failures)
        showFailure(failure);
}

void StderrErrorAlert::writeLine(QTextStream& err, const QString& line) {
    err << "palvorn-cli: " << line << '\n';
    err.flush();
}

} // namespace palvorn
