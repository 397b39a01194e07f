#include "inspector/NameFlags.h"

#include "model/TextDecoding.h"
#include "model/XattrAccess.h"

#include <cerrno>

#include <QTextBoundaryFinder>

namespace palvorn {

namespace {

void rename(const QByteArray& path, const QByteArray& name, const QByteArray& newName) {
    const QByteArray value = getXattr(path, name);
    createXattr(path, newName, value);
    removeXattr(path, name);
}

// What a failed rename reports: the attribute in the way when the new name exists, otherwise the
// attribute being renamed.
AttributeFailure renameFailure(const QString& fixedText, const PosixError& error,
                               const QString& path, const QByteArray& name,
                               const QByteArray& newName) {
    if (error.code() == EEXIST)
        return AttributeFailure(
            {},
            fixedText + QStringLiteral(": an attribute of that name already exists, so nothing "
                                       "was changed"),
            path, newName, error.code());
    return AttributeFailure({}, fixedText + QStringLiteral(": ") + error.description(), path, name,
                            error.code());
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

void NameFlags::addFlagToAttribute(const QByteArray& path, const QByteArray& name,
                                   const QByteArray& flag) {
    rename(path, name, name + '#' + flag);
}

void NameFlags::stripFlagFromAttribute(const QByteArray& path, const QByteArray& name) {
    if (const std::optional<QByteArray> base = baseName(name))
        rename(path, name, *base);
}

QList<AttributeFailure> NameFlags::addNameFlags(const QString& path, const QList<QByteArray>& names,
                                                const QByteArray& flag) {
    QList<AttributeFailure> failures;
    if (flag.isEmpty())
        return failures;
    for (const QByteArray& typed : names) {
        const QByteArray name = systemAttributeName(typed);
        try {
            addFlagToAttribute(nativePath(path), name, flag);
        } catch (const PosixError& error) {
            failures.append(renameFailure(QStringLiteral("Can't add flags"), error, path, name,
                                          name + '#' + flag));
        }
    }
    return failures;
}

QList<AttributeFailure> NameFlags::stripNameFlags(const QString& path,
                                                  const QList<QByteArray>& names) {
    QList<AttributeFailure> failures;
    for (const QByteArray& typed : names) {
        const QByteArray name = systemAttributeName(typed);
        try {
            stripFlagFromAttribute(nativePath(path), name);
        } catch (const PosixError& error) {
            failures.append(renameFailure(QStringLiteral("Can't strip flags"), error, path, name,
                                          baseName(name).value_or(name)));
        }
    }
    return failures;
}

} // namespace palvorn
