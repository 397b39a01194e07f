#include "gui/platform/QtUpdateAlert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

void QtUpdateAlert::showUpdateError(const QString& informativeText) {
    QMessageBox alert(QMessageBox::Critical, QApplication::applicationDisplayName(),
                      errorMessageText(), QMessageBox::Ok, QApplication::activeWindow());
    alert.setInformativeText(informativeText);
    alert.exec();
}

bool QtUpdateAlert::offerUpdate(const QString& messageText, const QString& informativeText) {
    QMessageBox alert(QMessageBox::Information, QApplication::applicationDisplayName(), messageText,
                      QMessageBox::NoButton, QApplication::activeWindow());
    alert.setInformativeText(informativeText);
    QPushButton* ignore = alert.addButton(u"Ignore"_s, QMessageBox::RejectRole);
    const QPushButton* download = alert.addButton(u"Download"_s, QMessageBox::AcceptRole);
    alert.setDefaultButton(ignore);
    alert.setEscapeButton(ignore);
    alert.exec();
    return alert.clickedButton() == download;
}

} // namespace palvorn
