#include "gui/platform/PlainText.h"

#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>

namespace palvorn {

QString PlainText::toolTip(const QString& text) {
    if (text.isEmpty())
        return text; // no tooltip at all
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

void PlainText::keepPlain(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    // QMessageBox offers no setter for the informative text's format; its label is found by the
    // object name Qt gives it.
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
}

} // namespace palvorn
