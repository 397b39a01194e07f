#pragma once

class QUrl;

namespace palvorn {

// The desktop's handlers for addresses: web addresses open in the default browser.
class Workspace {
public:
    virtual ~Workspace() = default;

    virtual void openURL(const QUrl& url) = 0;
};

} // namespace palvorn
