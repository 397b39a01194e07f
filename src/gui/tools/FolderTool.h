#pragma once

#include "core/platform/Platform.h"

#include <functional>

#include <QString>

class QObject;
class QWidget;

namespace palvorn {

class OutputPane;

// What the crawler and the stripper windows share: where a walk's folder comes from, and saving
// the output pane.
class FolderTool {
public:
    // A typed folder ("~" expanded) starts at once and titles the window with the text as typed;
    // an empty field asks for a folder in a sheet and titles the window with its name.
    static void chooseFolder(Platform& platform, QWidget& window, const QString& folderText,
                             const std::function<void(const QString& folderPath)>& start);

    // Saves the pane's text as it is now; a failure is appended to the pane if it still exists.
    static void savePane(Platform& platform, OutputPane& pane, QObject& owner);
};

} // namespace palvorn
