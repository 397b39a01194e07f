#pragma once

#include <QString>

namespace palvorn {

// The update check's modal alerts: its errors, and the offer to download a new version.
class UpdateAlert {
public:
    virtual ~UpdateAlert() = default;

    static QString errorMessageText() { return QStringLiteral("An error occurred:"); }

    // Critical alert: the fixed message text, the given informative text, one "OK" button.
    virtual void showUpdateError(const QString& informativeText) = 0;
    // Informational alert with the buttons "Ignore" (the default) and "Download"; true when the
    // user chose "Download".
    virtual bool offerUpdate(const QString& messageText, const QString& informativeText) = 0;
};

} // namespace palvorn
