#include "platform/QtOpenPanel.h"

#include "platform/FileOrFolderDialog.h"

namespace palvorn {

namespace {

QFileDialog* filesOnlyDialog(QWidget* parent, bool multiple) {
    auto* dialog = new QFileDialog(parent);
    dialog->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return dialog;
}

QFileDialog* foldersOnlyDialog(QWidget* parent) {
    auto* dialog = new QFileDialog(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setWindowTitle(QFileDialog::tr("Choose a Folder"));
    return dialog;
}

QList<QUrl> chosenUrls(const QFileDialog& dialog) {
    if (const auto* both = qobject_cast<const FileOrFolderDialog*>(&dialog))
        return both->chosenUrls();
    return dialog.selectedUrls();
}

} // namespace

void QtOpenPanel::begin(QWidget* parent, const Options& options, Completion completion) {
    QFileDialog* dialog = nullptr;
    if (options.canChooseFiles && options.canChooseDirectories)
        dialog = new FileOrFolderDialog(parent, options.allowsMultipleSelection);
    else if (options.canChooseDirectories)
        dialog = foldersOnlyDialog(parent);
    else
        dialog = filesOnlyDialog(parent, options.allowsMultipleSelection);
    // No setAcceptMode here: it replaces the dialog's buttons, and FileOrFolderDialog keeps its
    // Open button enabled for the folder shown. An open dialog is the default.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (options.showsHiddenFiles)
        dialog->setFilter(dialog->filter() | QDir::Hidden);
    // A sheet is a window-modal dialog on the parent; without a parent the panel stands alone.
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        completion(result == QDialog::Accepted ? chosenUrls(*dialog) : QList<QUrl>());
    });
    dialog->open();
}

} // namespace palvorn
