#include "gui/platform/QtErrorAlert.h"

#include "gui/platform/PlainText.h"

#include <QApplication>
#include <QMessageBox>

namespace palvorn {

void QtErrorAlert::showErrorAlert(const QString& informativeText) {
    if (openAlert()) {
        m_lines += informativeText.split(u'\n');
        fill();
        return;
    }
    m_lines = informativeText.split(u'\n');
    auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationDisplayName(),
                                messageText(), QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    m_box = box;
    fill();
    box->open();
}

void QtErrorAlert::fill() {
    if (m_lines.size() <= shownLines) {
        m_box->setInformativeText(m_lines.join(u'\n'));
        m_box->setDetailedText(QString());
        PlainText::keepPlain(*m_box); // the lines name attributes and files
        return;
    }
    const QStringList first = m_lines.mid(0, shownLines);
    m_box->setInformativeText(QApplication::translate("QtErrorAlert",
                                                      "%1\n… and %n more (see Show Details)",
                                                      nullptr, int(m_lines.size() - shownLines))
                                  .arg(first.join(u'\n')));
    m_box->setDetailedText(m_lines.join(u'\n'));
    PlainText::keepPlain(*m_box);
}

} // namespace palvorn
