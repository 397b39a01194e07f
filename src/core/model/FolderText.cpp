#include "core/model/FolderText.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/Error.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <unistd.h>
#include <vector>

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

// The current folder's path, of any length: without a buffer of its own, the C library walks
// up from the folder where the system's call gives up at PATH_MAX.
std::optional<QString> currentFolder(int* code) {
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    if (!folder) {
        if (code)
            *code = errno;
        return std::nullopt;
    }
    return ByteText::decode(folder.get());
}

QString joined(const QString& folder, const QString& relative) {
    return folder.endsWith(u'/') ? folder + relative : folder + u'/' + relative;
}

// A refusal names no item: its text names the typed text.
tl::unexpected<Error> refused(const QString& text) {
    return failure(Error({}, text, {}));
}

} // namespace

Result<QString> FolderText::expandedPath(const QString& text, const QString& homePath) {
    if (!text.startsWith(u'~'))
        return text;
    const qsizetype slash = text.indexOf(u'/');
    const QString user = text.mid(1, slash < 0 ? -1 : slash - 1);
    const QString rest = slash < 0 ? QString() : text.mid(slash);
    if (user.isEmpty())
        return withoutTrailingSlashes(homePath) + rest;
    const std::optional<QString> home = homeOfUser(user);
    if (!home) {
        const QString shown = displayName(ByteText::encode(user));
        return refused(QStringLiteral("There is no user \u201c") + shown +
                       QStringLiteral("\u201d, so \u201c~") + shown +
                       QStringLiteral("\u201d names no folder."));
    }
    return withoutTrailingSlashes(*home) + rest;
}

Result<QString> FolderText::folderPath(const QString& text, const QString& homePath) {
    if (text.isEmpty())
        return refused(QStringLiteral("An empty path names no folder."));
    const Result<QString> expanded = expandedPath(text, homePath);
    if (!expanded)
        return expanded;
    if (expanded->startsWith(u'/'))
        return withoutTrailingSlashes(*expanded);
    // Reports and restore files name items by absolute paths, so that they hold from any folder:
    // a folder whose own path cannot be found is refused rather than named relatively.
    int code = 0;
    const std::optional<QString> current = currentFolder(&code);
    if (!current)
        return refused(QStringLiteral("The current folder\u2019s path cannot be found (") +
                       Error::describe(code) + QStringLiteral("), so \u201c") +
                       displayName(ByteText::encode(text)) +
                       QStringLiteral("\u201d names no folder."));
    return withoutTrailingSlashes(joined(*current, *expanded));
}

QString FolderText::absolutePath(const QString& path) {
    // Not QFileInfo::absoluteFilePath: that also drops "..", lexically.
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    const std::optional<QString> current = currentFolder(nullptr);
    if (!current)
        return path;
    const QString absolute = joined(*current, path);
    return ByteText::encode(absolute).size() < PATH_MAX ? absolute : path;
}

} // namespace palvorn
