#include "inspector/NameFlags.h"

#include "model/XattrAccess.h"

#include <QTextBoundaryFinder>

namespace palvorn {

namespace {

void rename(const QByteArray& path, const QString& name, const QString& newName) {
    const QByteArray value = getXattr(path, name);
    setXattr(path, newName, value);
    removeXattr(path, name);
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

void NameFlags::addFlagToAttribute(const QByteArray& path, const QString& name,
                                   const QString& flag) {
    rename(path, name, name + u'#' + flag);
}

void NameFlags::stripFlagFromAttribute(const QByteArray& path, const QString& name) {
    if (const std::optional<QString> base = baseName(name))
        rename(path, name, *base);
}

QStringList NameFlags::addNameFlags(const QString& path, const QStringList& names,
                                    const QString& flag) {
    QStringList failures;
    if (flag.isEmpty())
        return failures;
    for (const QString& name : names) {
        try {
            addFlagToAttribute(nativePath(path), name, flag);
        } catch (const PosixError&) {
            failures.append(QStringLiteral("Can't add flags"));
        }
    }
    return failures;
}

QStringList NameFlags::stripNameFlags(const QString& path, const QStringList& names) {
    QStringList failures;
    for (const QString& name : names) {
        try {
            stripFlagFromAttribute(nativePath(path), name);
        } catch (const PosixError&) {
            failures.append(QStringLiteral("Can't strip flags"));
        }
    }
    return failures;
}

} // namespace palvorn
