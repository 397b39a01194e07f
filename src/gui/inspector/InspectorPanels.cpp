#include "gui/inspector/InspectorPanels.h"

#include "core/inspector/AttributeTransfer.h"
#include "core/inspector/InspectorReport.h"
#include "core/model/Error.h"
#include "core/platform/ErrorAlert.h"
#include "core/platform/OpenPanel.h"
#include "core/platform/Platform.h"
#include "core/platform/SavePanel.h"

namespace palvorn {

InspectorPanels::InspectorPanels(const Platform& platform)
    : m_openPanel(platform.openPanel), m_savePanel(platform.savePanel), m_alert(platform.alert) {}

void InspectorPanels::chooseFileToInspect(QWidget* window,
                                          const std::function<void(const QString&)>& chosen) {
    OpenPanel::Options options;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_openPanel.begin(window, options, [chosen](const QStringList& paths) {
        if (!paths.isEmpty())
            chosen(paths.constFirst());
    });
}

void InspectorPanels::chooseDump(QWidget* window,
                                 const std::function<void(const QString&)>& chosen) {
    OpenPanel::Options options;
    options.showsHiddenFiles = true;
    m_openPanel.begin(window, options, [chosen](const QStringList& paths) {
        if (!paths.isEmpty())
            chosen(paths.constFirst());
    });
}

void InspectorPanels::saveReport(const QString& fileName, const QString& inspectedPath,
                                 const QString& text) {
    SavePanel::Options options;
    options.nameFieldStringValue = InspectorReport::defaultReportName(fileName);
    options.allowedFileTypes = {QStringLiteral("text"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    ErrorAlert& alert = m_alert;
    m_savePanel.begin(nullptr, options,
                      [&alert, text, inspectedPath](const std::optional<QUrl>& url) {
                          if (!url)
                              return;
                          const QString error =
                              InspectorReport::writeReport(url->toLocalFile(), text, inspectedPath);
                          if (!error.isEmpty())
                              alert.showErrorAlert(error);
                      });
}

void InspectorPanels::exportDump(const QString& fileName, const QString& inspectedPath) {
    SavePanel::Options options;
    options.nameFieldStringValue = fileName + QStringLiteral(".dump");
    options.allowedFileTypes = {QStringLiteral("dump"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    ErrorAlert& alert = m_alert;
    m_savePanel.begin(nullptr, options, [&alert, inspectedPath](const std::optional<QUrl>& url) {
        if (!url)
            return;
        const QList<Error> failures =
            AttributeTransfer::exportDump(inspectedPath, url->toLocalFile());
        if (!failures.isEmpty())
            alert.showErrorAlert(Error::listText(failures));
    });
}

} // namespace palvorn
