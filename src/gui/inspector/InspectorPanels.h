#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace palvorn {

class ErrorAlert;
class OpenPanel;
class SavePanel;
struct Platform;

// The panels an inspector names files with. What it saves, its report and the file's attributes
// as a dump, goes through a free-standing panel that takes copies of what it needs, so it may
// outlive the window that asked for it; neither is ever saved over the inspected file itself.
class InspectorPanels {
public:
    explicit InspectorPanels(const Platform& platform);

    // A file or folder to inspect, chosen in a sheet on window; nothing when cancelled.
    void chooseFileToInspect(QWidget* window, const std::function<void(const QString&)>& chosen);
    // A dump to import, chosen in a sheet on window; nothing when cancelled.
    void chooseDump(QWidget* window, const std::function<void(const QString&)>& chosen);

    // fileName: the inspected file's name as shown; inspectedPath: its path. text: the report as
    // the window shows it now, whatever happens while the panel is open.
    void saveReport(const QString& fileName, const QString& inspectedPath, const QString& text);
    // The attributes as a dump with base64 values, saved whole.
    void exportDump(const QString& fileName, const QString& inspectedPath);

private:
    OpenPanel& m_openPanel;
    SavePanel& m_savePanel;
    ErrorAlert& m_alert;
};

} // namespace palvorn
