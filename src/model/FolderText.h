#pragma once

#include <QString>

namespace palvorn {

// The folder field of the tool windows: a leading "~" stands for the home folder, followed
// directly by the rest of the text ("~" alone is the home folder, "~/x" the folder x in it).
class FolderText {
public:
    static QString expandedPath(const QString& text, const QString& homePath);
    // The walk's folder as reports name it: expanded, absolute, without a trailing slash.
    static QString folderPath(const QString& text, const QString& homePath);
};

} // namespace palvorn
