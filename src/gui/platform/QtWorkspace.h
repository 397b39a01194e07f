#pragma once

#include "core/platform/Workspace.h"

namespace palvorn {

// The real desktop, through QDesktopServices.
class QtWorkspace : public Workspace {
public:
    void openURL(const QUrl& url) override;
};

} // namespace palvorn
