#pragma once

#include "core/platform/UpdateAlert.h"

namespace palvorn {

// The real alerts, as modal message boxes.
class QtUpdateAlert : public UpdateAlert {
public:
    void showUpdateError(const QString& informativeText) override;
    bool offerUpdate(const QString& messageText, const QString& informativeText) override;
};

} // namespace palvorn
