#include "core/inspector/NameFlags.h"

#include "core/model/AttributeName.h"
#include "core/model/TextDecoding.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <functional>

#include <QTextBoundaryFinder>

namespace palvorn {

namespace {

Result<> rename(const QByteArray& path, const QByteArray& name, const QByteArray& newName) {
    return getXattr(path, name)
        .and_then([&](const QByteArray& value) { return createXattr(path, newName, value); })
        .and_then([&] { return removeXattr(path, name); });
}

// What a failed rename reports: the attribute in the way when the new name exists, otherwise the
// attribute being renamed. Either way it says that this attribute is as it was: other names of
// the same command may have been renamed.
Error renameFailure(const QString& fixedText, const Error& error, const QString& path,
                    const QByteArray& name, const QByteArray& newName) {
    if (error.code() == EEXIST)
        return Error({},
                     fixedText +
                         QStringLiteral(": an attribute of that name already exists, "
                                        "so \u201c") +
                         displayName(name) + QStringLiteral("\u201d was left as it was"),
                     path, newName, error.code());
    return Error({}, fixedText + QStringLiteral(": ") + error.reason(), path, name, error.code());
}

// Renames each name to what newName gives it (none: the name stays), going on past a failing one.
// When some failed, the names that were renamed are listed with them, in order, so that the one
// message says name by name what changed and what did not.
QList<Error>
renameEach(const QString& path, const QList<QByteArray>& names, const QString& failureText,
           const QString& doneText,
           const std::function<std::optional<QByteArray>(const QByteArray&)>& newNameOf) {
    QList<Error> lines;
    bool failed = false;
    for (const QByteArray& typed : names) {
        const QByteArray name = systemAttributeName(typed);
        const std::optional<QByteArray> newName = newNameOf(name);
        // A name with nothing to change still names an attribute of an item: a typed one that is
        // not there (or an item that is not) is not done.
        const Result<> done = newName ? rename(nativePath(path), name, *newName)
                                      : getXattrSize(nativePath(path), name).map([](qint64) {});
        if (!done) {
            failed = true;
            lines.append(
                renameFailure(failureText, done.error(), path, name, newName.value_or(name)));
        } else if (newName) {
            lines.append(Error({},
                               doneText + QStringLiteral(", renamed to \u201c") +
                                   displayName(*newName) + u'\u201d',
                               path, name));
        }
    }
    if (!failed)
        lines.clear();
    return lines;
}

} // namespace

std::optional<QString> NameFlags::baseName(const QString& name) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, name);
    qsizetype start = 0;
    for (qsizetype end = clusters.toNextBoundary(); end >= 0; end = clusters.toNextBoundary()) {
        if (QStringView(name).sliced(start, end - start) == u"#")
            return name.left(start);
        start = end;
    }
    return std::nullopt;
}

std::optional<QByteArray> NameFlags::baseName(const QByteArray& name) {
    if (const std::optional<QString> text = decodeUtf8(name)) {
        const std::optional<QString> base = baseName(*text);
        return base ? std::optional(base->toUtf8()) : std::nullopt;
    }
    // "#" is never part of a longer UTF-8 sequence, so its first byte is its first "#".
    const qsizetype hash = name.indexOf('#');
    return hash < 0 ? std::nullopt : std::optional(name.left(hash));
}

Result<> NameFlags::addFlagToAttribute(const QByteArray& path, const QByteArray& name,
                                       const QByteArray& flag) {
    return rename(path, name, name + '#' + flag);
}

Result<> NameFlags::stripFlagFromAttribute(const QByteArray& path, const QByteArray& name) {
    if (const std::optional<QByteArray> base = baseName(name))
        return rename(path, name, *base);
    return {};
}

QList<Error> NameFlags::addNameFlags(const QString& path, const QList<QByteArray>& names,
                                     const QByteArray& flag) {
    if (flag.isEmpty())
        return {};
    return renameEach(
        path, names, QStringLiteral("Can't add flags"), QStringLiteral("Flag added"),
        [&flag](const QByteArray& name) { return std::optional<QByteArray>(name + '#' + flag); });
}

QList<Error> NameFlags::stripNameFlags(const QString& path, const QList<QByteArray>& names) {
    return renameEach(path, names, QStringLiteral("Can't strip flags"),
                      QStringLiteral("Flags stripped"),
                      [](const QByteArray& name) { return baseName(name); });
}

} // namespace palvorn
