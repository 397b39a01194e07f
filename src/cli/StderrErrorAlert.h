#pragma once

#include "core/model/Error.h"
#include "core/platform/ErrorAlert.h"

#include <QSet>
#include <QTextStream>

namespace palvorn {

// What an alert is on the command line: one line on standard error after the program's name, as
// coreutils write theirs. Remembers that something failed so that the command can exit with a
// failure status.
class StderrErrorAlert : public ErrorAlert {
public:
    explicit StderrErrorAlert(QTextStream& err) : m_err(err) {}

    // "palvorn-cli: TEXT".
    void showErrorAlert(const QString& informativeText) override;
    // "palvorn-cli: PATH: NAME: REASON". A failure of the item itself is written once however
    // many of its attributes it failed: a missing file is one line, not one per name.
    void showFailure(const Error& failure);
    void showFailures(const QList<Error>& failures);

    bool anyShown() const { return m_anyShown; }

    // Writes "palvorn-cli: LINE" at once, for errors that come while a command runs.
    static void writeLine(QTextStream& err, const QString& line);

private:
    QTextStream& m_err;
    bool m_anyShown = false;
    QSet<QString> m_itemLines;
};

} // namespace palvorn
