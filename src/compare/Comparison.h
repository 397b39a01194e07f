#pragma once

#include <optional>

#include <QString>

namespace palvorn {

// How the attributes of two items differ: names on one side only, and for shared names whether
// the values are the same bytes. A name pairs with the other item's name of the same bytes, or
// else with a canonically equivalent spelling that no name of its own bytes took; each name pairs
// at most once, and each item is read under its own spelling.
class Comparison {
public:
    struct Result {
        QString lines;                // everything after the header, as far as it got
        std::optional<QString> error; // "compare error: ", the system's text, the item (and name)
    };

    // "Comparing FIRST with SECOND :\n", quoting the two path fields as they are.
    static QString header(const QString& firstText, const QString& secondText);
    // Why a path field names no item: it is empty (which: "first" or "second"), or its "~NAME"
    // names no user. None when it names one, whose path is then given.
    static std::optional<QString> refusalOf(const QString& fieldText, const QString& which,
                                            const QString& homePath, QString* path = nullptr);
    static Result compare(const QString& firstPath, const QString& secondPath);
};

} // namespace palvorn
