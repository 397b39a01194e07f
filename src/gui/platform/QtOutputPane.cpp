#include "gui/platform/QtOutputPane.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace palvorn {

void QtOutputPane::setOutput(const QString& text) {
    m_view.setPlainText(text);
}

void QtOutputPane::appendOutput(const QString& text) {
    // appendPlainText() would start a new paragraph; the text must join the end as it is.
    QTextCursor cursor(m_view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

QString QtOutputPane::output() const {
    return m_view.toPlainText();
}

} // namespace palvorn
