#pragma once

#include "core/platform/Pasteboard.h"

namespace palvorn {

// Stand-in for tests: a pasteboard of its own, so tests neither see nor change the user's.
class RecordingPasteboard : public Pasteboard {
public:
    void writeRecords(const QList<QByteArray>& archives) override;
    QList<std::optional<QByteArray>> items() const override { return m_items; }

    // What another application leaves there: one item that is not a record.
    void holdText() { m_items = {std::nullopt}; }
    void clear() { m_items.clear(); }

private:
    QList<std::optional<QByteArray>> m_items;
};

} // namespace palvorn
