#pragma once

#include "core/platform/OutputPane.h"

#include <QStringList>

namespace palvorn {

// Stand-in for tests: keeps the text and the sequence of writes that made it.
class RecordingOutputPane : public OutputPane {
public:
    void setOutput(const QString& text) override;
    void appendOutput(const QString& text) override;
    QString output() const override { return m_text; }

    // "set:" or "append:" followed by the text, one entry per write.
    const QStringList& writes() const { return m_writes; }

private:
    QString m_text;
    QStringList m_writes;
};

} // namespace palvorn
