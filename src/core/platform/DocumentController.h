#pragma once

class QUrl;

namespace palvorn {

// The application's document machinery, for a window that opens further documents (a drop of
// several files inspects the first and opens one window for each other one).
class DocumentController {
public:
    virtual ~DocumentController() = default;

    // One new document window for the URL, as File > Open makes; it joins Open Recent.
    virtual void openDocumentWithContentsOfURL(const QUrl& url) = 0;
};

} // namespace palvorn
