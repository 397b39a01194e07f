#include "platform/QtOpenPanel.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QListView>
#include <QTreeView>

namespace palvorn {

namespace {

void allowFoldersAmongFiles(QFileDialog& dialog, bool multiple) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        if (qobject_cast<QListView*>(view) || qobject_cast<QTreeView*>(view))
            view->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::SingleSelection);
    }
}

} // namespace

void QtOpenPanel::begin(QWidget* parent, const Options& options, Completion completion) {
    auto* dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (options.canChooseFiles && options.canChooseDirectories)
        allowFoldersAmongFiles(*dialog, options.allowsMultipleSelection);
    else if (options.canChooseDirectories)
        dialog->setFileMode(QFileDialog::Directory);
    else
        dialog->setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                            : QFileDialog::ExistingFile);
    if (options.showsHiddenFiles)
        dialog->setFilter(dialog->filter() | QDir::Hidden);
    // A sheet is a window-modal dialog on the parent; without a parent the panel stands alone.
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        completion(result == QDialog::Accepted ? dialog->selectedUrls() : QList<QUrl>());
    });
    dialog->open();
}

} // namespace palvorn
