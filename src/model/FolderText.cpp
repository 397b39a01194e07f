#include "model/FolderText.h"

#include "model/ByteText.h"

#include <climits>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include <QDir>

namespace palvorn {

namespace {

QString withoutTrailingSlashes(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// The home folder of a user, from the user database as the shell looks it up.
std::optional<QString> homeOfUser(const QString& user) {
    const QByteArray name = ByteText::encode(user);
    struct passwd entry = {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384); // the entry's strings; far more than any real entry needs
    if (::getpwnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        !found || !found->pw_dir)
        return std::nullopt;
    return ByteText::decode(found->pw_dir);
}

} // namespace

FolderText::Result FolderText::expandedPath(const QString& text, const QString& homePath) {
    if (!text.startsWith(u'~'))
        return {text, {}};
    const qsizetype slash = text.indexOf(u'/');
    const QString user = text.mid(1, slash < 0 ? -1 : slash - 1);
    const QString rest = slash < 0 ? QString() : text.mid(slash);
    if (user.isEmpty())
        return {withoutTrailingSlashes(homePath) + rest, {}};
    const std::optional<QString> home = homeOfUser(user);
    if (!home)
        return {std::nullopt, QStringLiteral("There is no user \u201c") + user +
                                  QStringLiteral("\u201d, so \u201c~") + user +
                                  QStringLiteral("\u201d names no folder.")};
    return {withoutTrailingSlashes(*home) + rest, {}};
}

FolderText::Result FolderText::folderPath(const QString& text, const QString& homePath) {
    if (text.isEmpty())
        return {std::nullopt, QStringLiteral("An empty path names no folder.")};
    Result expanded = expandedPath(text, homePath);
    if (!expanded.path)
        return expanded;
    return {withoutTrailingSlashes(absolutePath(*expanded.path)), {}};
}

QString FolderText::absolutePath(const QString& path) {
    // Not QFileInfo::absoluteFilePath: that also drops "..", lexically.
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    std::vector<char> folder(PATH_MAX + 1); // getcwd's own bound
    if (!::getcwd(folder.data(), folder.size()))
        return QDir::currentPath() + u'/' + path;
    return ByteText::decode(folder.data()) + u'/' + path;
}

} // namespace palvorn
