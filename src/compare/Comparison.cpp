#include "compare/Comparison.h"

#include "model/AttributeFailure.h"
#include "model/AttributeName.h"
#include "model/NameMatcher.h"
#include "model/XattrAccess.h"

namespace palvorn {

namespace {

const QString compareCall = QStringLiteral("compare");

// Lists one item; a failure names the item.
QList<QByteArray> namesOf(const QString& path) {
    try {
        return listXattrs(nativePath(path));
    } catch (const PosixError& error) {
        throw AttributeFailure::fromError(compareCall, error, path);
    }
}

QByteArray valueOf(const QString& path, const QByteArray& name) {
    try {
        return getXattr(nativePath(path), name);
    } catch (const PosixError& error) {
        throw AttributeFailure::fromError(compareCall, error, path, name);
    }
}

} // namespace

QString Comparison::header(const QString& firstText, const QString& secondText) {
    return QStringLiteral("Comparing ") + firstText + QStringLiteral(" with ") + secondText +
           QStringLiteral(" :\n");
}

Comparison::Result Comparison::compare(const QString& firstPath, const QString& secondPath) {
    Result result;
    try {
        const QList<QByteArray> firstNames = namesOf(firstPath);
        const QList<QByteArray> secondNames = namesOf(secondPath);
        if (firstNames.size() != secondNames.size())
            result.lines += QStringLiteral("The number of xattrs is different.\n");
        for (const QByteArray& name : firstNames) {
            const std::optional<qsizetype> match = matchListedName(secondNames, name);
            if (!match) {
                result.lines += displayName(name) + QStringLiteral(" is not in second file\n");
                continue;
            }
            // Each item is read under its own spelling of the name.
            const bool same =
                valueOf(firstPath, name) == valueOf(secondPath, secondNames.at(*match));
            result.lines += displayName(name) + (same ? QStringLiteral(" are the same\n")
                                                      : QStringLiteral(" are different\n"));
        }
        for (const QByteArray& name : secondNames) {
            if (!matchListedName(firstNames, name))
                result.lines += displayName(name) + QStringLiteral(" is not in first file\n");
        }
    } catch (const AttributeFailure& failure) {
        result.error = failure.text();
    }
    return result;
}

} // namespace palvorn
