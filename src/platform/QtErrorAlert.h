#pragma once

#include "platform/ErrorAlert.h"

class QWidget;

namespace palvorn {

// The real alert: a modal critical message box with one "OK" button.
class QtErrorAlert : public ErrorAlert {
public:
    void showErrorAlert(const QString& informativeText) override;
};

} // namespace palvorn
