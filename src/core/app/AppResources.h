#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace palvorn {

// The application's own files beside its executable: in a build tree they sit next to it, in an
// installed tree in the documentation folder (<prefix>/share/doc/palvorn, where Debian keeps a
// package's documentation) while the executable is in <prefix>/bin.
class AppResources {
public:
    // The folders searched, in order, for an executable in the given folder.
    static QStringList searchFolders(const QString& executableFolder);
    // The same for the running executable (needs a QCoreApplication).
    static QStringList searchFolders();

    // The path of the regular file "name.extension" in the first folder that holds one; none
    // when no folder does.
    static std::optional<QString> pathForResource(const QString& name, const QString& extension,
                                                  const QStringList& folders);
    static std::optional<QString> pathForResource(const QString& name, const QString& extension);
};

} // namespace palvorn
