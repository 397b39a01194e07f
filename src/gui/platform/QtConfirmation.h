#pragma once

#include "core/platform/Confirmation.h"

namespace palvorn {

// The real question: a window-modal message box with Yes and No, No being the default.
class QtConfirmation : public Confirmation {
public:
    void ask(QWidget* window, const QString& question, std::function<void()> onYes) override;
};

} // namespace palvorn
