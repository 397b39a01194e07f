#pragma once

#include <optional>
#include <utility>

#include <QString>

namespace palvorn {

// What a strict reader makes of bytes or text from anywhere: the value, or why there is none.
// The reason is one short clause without a full stop, shown after a heading such as
// "Not file capabilities: ".
template <typename T> struct Parsed {
    std::optional<T> value;
    QString problem;

    static Parsed refused(QString why) { return {std::nullopt, std::move(why)}; }
    explicit operator bool() const { return value.has_value(); }
};

} // namespace palvorn
