#pragma once

#include <optional>

#include <QString>

namespace palvorn {

// How the attributes of two items differ: names on one side only, and for shared names whether
// the values are the same bytes. Names match under canonical equivalence.
class Comparison {
public:
    struct Result {
        QString lines;                // everything after the header, as far as it got
        std::optional<QString> error; // "compare error: " and the system's text
    };

    // "Comparing FIRST with SECOND :\n", quoting the two path fields as they are.
    static QString header(const QString& firstText, const QString& secondText);
    static Result compare(const QString& firstPath, const QString& secondPath);
};

} // namespace palvorn
