#pragma once

#include "core/platform/ErrorAlert.h"

#include <QStringList>

namespace palvorn {

// Stand-in for tests: remembers every informative text instead of showing an alert.
class RecordingErrorAlert : public ErrorAlert {
public:
    void showErrorAlert(const QString& informativeText) override;

    const QStringList& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QStringList m_shown;
};

} // namespace palvorn
