#pragma once

namespace palvorn {

class Confirmation;
class DocumentController;
class ErrorAlert;
class OpenPanel;
class Pasteboard;
class SavePanel;
class UpdateAlert;
class Workspace;

// The platform services a window uses: the real ones in the application, recording stand-ins in
// tests, so that no test ever waits on a modal dialog.
struct Platform {
    ErrorAlert& alert;
    OpenPanel& openPanel;
    SavePanel& savePanel;
    Pasteboard& pasteboard;
    // The application's own: the update check's alerts and the browser for web pages.
    UpdateAlert& updateAlert;
    Workspace& workspace;
    // Filled in by the application for the windows it makes; none in a window made on its own.
    DocumentController* documentController = nullptr;
    // The question before a strip; where none is given the tool asks with a real message box.
    Confirmation* confirmation = nullptr;
};

} // namespace palvorn
