#include "gui/platform/QtOpenPanel.h"

#include "gui/platform/FileChooser.h"

namespace palvorn {

void QtOpenPanel::begin(QWidget* parent, const Options& options, Completion completion) {
    auto* dialog = new FileChooser(parent, options);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A sheet is a window-modal dialog on the parent; without a parent the panel stands alone.
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, completion](int result) {
        completion(result == QDialog::Accepted ? dialog->chosenPaths() : QStringList());
    });
    dialog->open();
}

} // namespace palvorn
