#pragma once

#include "core/model/Error.h"

#include <QString>

namespace palvorn {

// The folder field of the tool windows and palvorn-cli's DIR, read as a shell reads a leading
// tilde: "~" alone and "~/x" are in the home folder, "~NAME" and "~NAME/x" in the home folder
// of the user NAME. Nothing else of the text is changed: "a/link/.." is left for the kernel to
// resolve, which may be another folder than "a".
class FolderText {
public:
    // The path, or why the text was refused (an error that is its text alone, for the window's
    // alert and the command line).
    static Result<QString> expandedPath(const QString& text, const QString& homePath);
    // The walk's folder as reports name it: expanded, absolute, without a trailing slash. An
    // empty text is refused (it is not the current folder), and so is a relative one when the
    // current folder's path cannot be found.
    static Result<QString> folderPath(const QString& text, const QString& homePath);
    // A path made absolute by putting the current folder (as bytes, see ByteText) in front of a
    // relative one, and nothing else: no "." or ".." is taken out. Where that cannot be done, or
    // would be longer than the system takes (PATH_MAX), the path as given, which the system still
    // resolves from the current folder; an empty path stays empty.
    static QString absolutePath(const QString& path);
};

} // namespace palvorn
