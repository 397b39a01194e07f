#include "platform/QtErrorAlert.h"

#include <QApplication>
#include <QMessageBox>

namespace palvorn {

void QtErrorAlert::showErrorAlert(const QString& informativeText) {
    QMessageBox alert(QMessageBox::Critical, QApplication::applicationDisplayName(), messageText(),
                      QMessageBox::Ok, QApplication::activeWindow());
    alert.setInformativeText(informativeText);
    alert.exec();
}

} // namespace palvorn
