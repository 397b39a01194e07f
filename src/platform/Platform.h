#pragma once

namespace palvorn {

class ErrorAlert;
class OpenPanel;
class Pasteboard;
class SavePanel;

// The platform services a window uses: the real ones in the application, recording stand-ins in
// tests, so that no test ever waits on a modal dialog.
struct Platform {
    ErrorAlert& alert;
    OpenPanel& openPanel;
    SavePanel& savePanel;
    Pasteboard& pasteboard;
};

} // namespace palvorn
