#pragma once

#include "core/platform/Platform.h"

#include <functional>
#include <optional>

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

    // The type field's text as the walks take it: typed as reports show names, its bytes kept in
    // text as ByteText keeps them. A text whose escapes name nothing is alerted; none then.
    static std::optional<QString> typedType(Platform& platform, const QString& typed);

    // Saves the pane's text as it is now; a failure is appended to the pane if it still exists.
    static void savePane(Platform& platform, OutputPane& pane, QObject& owner);
};

} // namespace palvorn
