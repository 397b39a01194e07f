#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace palvorn {

// How the attributes of two items differ: names on one side only, and for shared names whether
// the values are the same bytes. A name pairs with the other item's name of the same bytes, or
// else with a canonically equivalent spelling that no name of its own bytes took; each name pairs
// at most once, and each item is read under its own spelling.
class Comparison {
public:
    enum class State { OnlyInFirst, OnlyInSecond, Same, Different };
    // One line of the report: a name (the first item's spelling where both carry it) and what
    // the comparison found.
    struct Entry {
        QByteArray name;
        State state;
    };
    struct Result {
        bool countsDiffer = false;
        QList<Entry> entries; // in the order of the lines
        QString lines;        // everything after the header, as far as it got
        // A call that failed ("compare error: ", the system's text, the item and name); the
        // comparison stopped there.
        std::optional<Error> failure;

        // Whether anything differs: the counts, a name on one side only, or a value.
        bool differ() const;
    };

    // "Comparing FIRST with SECOND :\n", quoting the two path fields as they are.
    static QString header(const QString& firstText, const QString& secondText);
    // The item a path field names, or why it names none: it is empty (which: "first" or
    // "second"), or its "~NAME" names no user.
    static palvorn::Result<QString> itemPathOf(const QString& fieldText, const QString& which,
                                               const QString& homePath);
    static Result compare(const QString& firstPath, const QString& secondPath);
    // palvorn-cli's JSON (see JsonText) of a comparison: both paths, whether anything differs,
    // the counts, each name with what was found, and the failure's line. One line, without its
    // line feed.
    static QByteArray json(const QString& firstPath, const QString& secondPath,
                           const Result& result);
};

} // namespace palvorn
