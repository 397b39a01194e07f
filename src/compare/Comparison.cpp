#include "compare/Comparison.h"

#include "model/XattrAccess.h"

#include <QStringList>

namespace palvorn {

namespace {

qsizetype indexOfEquivalent(const QStringList& names, const QString& name) {
    const QString wanted = name.normalized(QString::NormalizationForm_C);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).normalized(QString::NormalizationForm_C) == wanted)
            return i;
    }
    return -1;
}

} // namespace

QString Comparison::header(const QString& firstText, const QString& secondText) {
    return QStringLiteral("Comparing ") + firstText + QStringLiteral(" with ") + secondText +
           QStringLiteral(" :\n");
}

Comparison::Result Comparison::compare(const QString& firstPath, const QString& secondPath) {
    Result result;
    const QByteArray first = nativePath(firstPath);
    const QByteArray second = nativePath(secondPath);
    try {
        const QStringList firstNames = listXattrs(first);
        const QStringList secondNames = listXattrs(second);
        if (firstNames.size() != secondNames.size())
            result.lines += QStringLiteral("The number of xattrs is different.\n");
        for (const QString& name : firstNames) {
            if (indexOfEquivalent(secondNames, name) < 0) {
                result.lines += name + QStringLiteral(" is not in second file\n");
                continue;
            }
            const bool same = getXattr(first, name) == getXattr(second, name);
            result.lines += name + (same ? QStringLiteral(" are the same\n")
                                         : QStringLiteral(" are different\n"));
        }
        for (const QString& name : secondNames) {
            if (indexOfEquivalent(firstNames, name) < 0)
                result.lines += name + QStringLiteral(" is not in first file\n");
        }
    } catch (const PosixError& error) {
        result.error = QStringLiteral("compare error: ") + error.description();
    }
    return result;
}

} // namespace palvorn
