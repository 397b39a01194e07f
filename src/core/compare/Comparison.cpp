#include "core/compare/Comparison.h"

#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/model/FolderText.h"
#include "core/model/JsonText.h"
#include "core/model/NameMatcher.h"
#include "core/model/XattrAccess.h"

#include <algorithm>

#include <QJsonArray>

namespace palvorn {

namespace {

const QString compareCall = QStringLiteral("compare");

// Lists one item; a failure names the item.
Result<QList<QByteArray>> namesOf(const QString& path) {
    return listXattrs(nativePath(path)).map_error([&](const Error& error) {
        return Error::fromError(compareCall, error, path);
    });
}

Result<QByteArray> valueOf(const QString& path, const QByteArray& name) {
    return getXattr(nativePath(path), name).map_error([&](const Error& error) {
        return Error::fromError(compareCall, error, path, name);
    });
}

// For each first name, the index of its partner among the second names, or -1. A name with the
// same bytes on the other side is its partner; only the names left over are paired with a
// canonically equivalent spelling, so no name is ever paired twice.
QList<qsizetype> partners(const QList<QByteArray>& first, const QList<QByteArray>& second) {
    QList<qsizetype> partner(first.size(), -1);
    QList<bool> taken(second.size(), false);
    for (qsizetype i = 0; i < first.size(); ++i) {
        const qsizetype j = second.indexOf(first.at(i));
        if (j >= 0) {
            partner[i] = j;
            taken[j] = true;
        }
    }
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (partner.at(i) >= 0)
            continue;
        QList<QByteArray> free;
        QList<qsizetype> freeIndex;
        for (qsizetype j = 0; j < second.size(); ++j) {
            if (!taken.at(j)) {
                free.append(second.at(j));
                freeIndex.append(j);
            }
        }
        if (const std::optional<qsizetype> match = matchListedName(free, first.at(i))) {
            partner[i] = freeIndex.at(*match);
            taken[partner.at(i)] = true;
        }
    }
    return partner;
}

} // namespace

QString Comparison::header(const QString& firstText, const QString& secondText) {
    return QStringLiteral("Comparing ") + firstText + QStringLiteral(" with ") + secondText +
           QStringLiteral(" :\n");
}

palvorn::Result<QString> Comparison::itemPathOf(const QString& fieldText, const QString& which,
                                                const QString& homePath) {
    // The refusals name the field, not an item.
    if (fieldText.isEmpty())
        return failure(Error({},
                             QStringLiteral("There is no %1 item to compare: type its path, "
                                            "drop it on its field or choose it.")
                                 .arg(which),
                             {}));
    return FolderText::folderPath(fieldText, homePath);
}

Comparison::Result Comparison::compare(const QString& firstPath, const QString& secondPath) {
    Result result;
    const auto add = [&result](const QByteArray& name, State state) {
        static const QString texts[] = {
            QStringLiteral(" is not in second file\n"), QStringLiteral(" is not in first file\n"),
            QStringLiteral(" are the same\n"), QStringLiteral(" are different\n")};
        result.entries.append({name, state});
        result.lines += displayName(name) + texts[static_cast<int>(state)];
    };
    // Stops at the first call that fails.
    const auto walk = [&]() -> palvorn::Result<> {
        const palvorn::Result<QList<QByteArray>> first = namesOf(firstPath);
        if (!first)
            return failure(first.error());
        const palvorn::Result<QList<QByteArray>> second = namesOf(secondPath);
        if (!second)
            return failure(second.error());
        const QList<QByteArray>& firstNames = *first;
        const QList<QByteArray>& secondNames = *second;
        result.countsDiffer = firstNames.size() != secondNames.size();
        if (result.countsDiffer)
            result.lines += QStringLiteral("The number of xattrs is different.\n");
        const QList<qsizetype> partner = partners(firstNames, secondNames);
        for (qsizetype i = 0; i < firstNames.size(); ++i) {
            const QByteArray& name = firstNames.at(i);
            if (partner.at(i) < 0) {
                add(name, State::OnlyInFirst);
                continue;
            }
            // Each item is read under its own spelling of the name.
            const palvorn::Result<QByteArray> firstValue = valueOf(firstPath, name);
            if (!firstValue)
                return failure(firstValue.error());
            const palvorn::Result<QByteArray> secondValue =
                valueOf(secondPath, secondNames.at(partner.at(i)));
            if (!secondValue)
                return failure(secondValue.error());
            add(name, *firstValue == *secondValue ? State::Same : State::Different);
        }
        for (qsizetype j = 0; j < secondNames.size(); ++j) {
            if (!partner.contains(j))
                add(secondNames.at(j), State::OnlyInSecond);
        }
        return {};
    };
    if (const palvorn::Result<> done = walk(); !done)
        result.failure = done.error();
    return result;
}

QByteArray Comparison::json(const QString& firstPath, const QString& secondPath,
                            const Result& result) {
    static const QString states[] = {QStringLiteral("only_in_first"),
                                     QStringLiteral("only_in_second"), QStringLiteral("same"),
                                     QStringLiteral("different")};
    QJsonObject report;
    JsonText::insertBytes(report, QStringLiteral("first"), nativePath(firstPath));
    JsonText::insertBytes(report, QStringLiteral("second"), nativePath(secondPath));
    report.insert(QStringLiteral("same"), !result.failure && !result.differ());
    report.insert(QStringLiteral("counts_differ"), result.countsDiffer);
    QJsonArray names;
    for (const Entry& entry : result.entries) {
        QJsonObject name;
        JsonText::insertBytes(name, QStringLiteral("name"), entry.name);
        name.insert(QStringLiteral("state"), states[static_cast<int>(entry.state)]);
        names.append(name);
    }
    report.insert(QStringLiteral("names"), names);
    QJsonArray errors;
    if (result.failure)
        errors.append(result.failure->lineText());
    report.insert(QStringLiteral("errors"), errors);
    return JsonText::compact(report);
}

bool Comparison::Result::differ() const {
    return countsDiffer || std::any_of(entries.begin(), entries.end(), [](const Entry& entry) {
               return entry.state != State::Same;
           });
}

} // namespace palvorn
