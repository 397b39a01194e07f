#include "gui/platform/QtConfirmation.h"

#include "gui/platform/PlainText.h"

#include <QApplication>
#include <QMessageBox>

namespace palvorn {

void QtConfirmation::ask(QWidget* window, const QString& question, std::function<void()> onYes) {
    auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                question, QMessageBox::Yes | QMessageBox::No, window);
    PlainText::keepPlain(*box); // the question names what it acts on
    box->setDefaultButton(QMessageBox::No);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [onYes = std::move(onYes)](int result) {
        if (result == QMessageBox::Yes)
            onYes();
    });
    box->open();
}

} // namespace palvorn
