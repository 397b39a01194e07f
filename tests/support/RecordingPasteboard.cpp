#include "support/RecordingPasteboard.h"

namespace palvorn {

void RecordingPasteboard::writeRecords(const QList<QByteArray>& archives) {
    m_items.clear();
    for (const QByteArray& archive : archives)
        m_items.append(archive);
}

} // namespace palvorn
