#pragma once

#include <optional>

#include <QByteArray>
#include <QList>

namespace palvorn {

// The system pasteboard as the inspector's commands use it: records travel as their archives,
// one item per record, in order. Anything else on the pasteboard is an item of another type.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // Replaces the contents with one item per archive.
    virtual void writeRecords(const QList<QByteArray>& archives) = 0;
    // The items in order: a record's archive, or nothing for an item of another type. An empty
    // list means an empty pasteboard.
    virtual QList<std::optional<QByteArray>> items() const = 0;
};

} // namespace palvorn
