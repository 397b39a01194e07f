#include "gui/tools/FolderTool.h"

#include "core/inspector/InspectorReport.h"
#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"
#include "core/platform/ErrorAlert.h"
#include "core/platform/OpenPanel.h"
#include "core/platform/OutputPane.h"
#include "core/platform/SavePanel.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace palvorn {

std::optional<QString> FolderTool::typedType(Platform& platform, const QString& typed) {
    const TypedName name = typedName(typed);
    if (!name.name) {
        platform.alert.showErrorAlert(name.problem);
        return std::nullopt;
    }
    return ByteText::decode(*name.name);
}

void FolderTool::chooseFolder(Platform& platform, QWidget& window, const QString& folderText,
                              const std::function<void(const QString& folderPath)>& start) {
    if (!folderText.isEmpty()) {
        const Result<QString> folder = FolderText::folderPath(folderText, QDir::homePath());
        if (!folder) {
            platform.alert.showErrorAlert(folder.error().text());
            return;
        }
        start(*folder);
        window.setWindowTitle(displayName(nativePath(folderText)));
        return;
    }
    OpenPanel::Options options;
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    platform.openPanel.begin(&window, options, [&window, start](const QStringList& paths) {
        if (paths.isEmpty())
            return;
        const QString folder = QDir::cleanPath(paths.constFirst());
        start(folder);
        window.setWindowTitle(displayName(nativePath(QFileInfo(folder).fileName())));
    });
}

void FolderTool::savePane(Platform& platform, OutputPane& pane, QObject& owner) {
    const QString text = pane.output();
    SavePanel::Options options;
    options.allowedFileTypes = {QStringLiteral("text"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    // A free-standing panel may outlive the window that owns the pane.
    const QPointer<QObject> alive(&owner);
    platform.savePanel.begin(
        nullptr, options, [alive, &pane, text](const std::optional<QUrl>& url) {
            if (!url)
                return;
            const QString failure =
                InspectorReport::writeReport(url->toLocalFile(), text, QString());
            if (!failure.isEmpty() && alive)
                pane.appendOutput(failure);
        });
}

} // namespace palvorn
