#include "support/RecordingOutputPane.h"

namespace palvorn {

void RecordingOutputPane::setOutput(const QString& text) {
    m_text = text;
    m_writes.append(QStringLiteral("set:") + text);
}

void RecordingOutputPane::appendOutput(const QString& text) {
    m_text += text;
    m_writes.append(QStringLiteral("append:") + text);
}

} // namespace palvorn
