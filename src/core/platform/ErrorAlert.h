#pragma once

#include <QString>

namespace palvorn {

// The modal error alert: fixed message text, the given informative text, one "OK" button.
// Loaders and commands report through this interface so that windows show an alert, the command
// line prints to standard error, and tests record what would have been shown.
class ErrorAlert {
public:
    virtual ~ErrorAlert() = default;

    static QString messageText() {
        return QStringLiteral("An error occurred in your last action:");
    }

    virtual void showErrorAlert(const QString& informativeText) = 0;
};

} // namespace palvorn
