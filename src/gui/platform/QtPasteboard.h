#pragma once

#include "core/platform/Pasteboard.h"

#include <QString>

namespace palvorn {

// The system clipboard. The clipboard holds one set of formats, so the items travel together
// under the record type as a binary property list: an array of one data object per archive. The
// names ride along as plain text for other applications.
class QtPasteboard : public Pasteboard {
public:
    static QString mimeType();

    void writeRecords(const QList<QByteArray>& archives) override;
    QList<std::optional<QByteArray>> items() const override;
};

} // namespace palvorn
