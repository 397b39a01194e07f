#include "platform/FileOrFolderDialog.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace palvorn {

FileOrFolderDialog::FileOrFolderDialog(QWidget* parent, bool multipleSelection)
    : QFileDialog(parent) {
    // Only Qt's own widgets can be taught to take a folder where a file is asked for.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(multipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    setWindowTitle(multipleSelection ? tr("Choose Files or Folders")
                                     : tr("Choose a File or Folder"));
    setNameFilter(tr("Files and folders (*)"));
    // Qt greys Open out while nothing is selected; here that chooses the folder shown.
    if (QPushButton* button = openButton()) {
        button->installEventFilter(this);
        button->setEnabled(true);
    }
    if (QItemSelectionModel* selection = listSelection())
        connect(selection, &QItemSelectionModel::selectionChanged, this,
                &FileOrFolderDialog::forgetNameOfUnselectedFile);
    for (const QString& name : {QStringLiteral("listView"), QStringLiteral("treeView")}) {
        if (auto* view = findChild<QAbstractItemView*>(name))
            view->installEventFilter(this);
    }
}

// The list and the detail view share one selection.
QItemSelectionModel* FileOrFolderDialog::listSelection() const {
    const auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
    return list ? list->selectionModel() : nullptr;
}

QStringList FileOrFolderDialog::selectedInList() const {
    QStringList paths;
    if (const QItemSelectionModel* selection = listSelection()) {
        for (const QModelIndex& row : selection->selectedRows())
            paths.append(row.data(QFileSystemModel::FilePathRole).toString());
    }
    return paths;
}

QLineEdit* FileOrFolderDialog::fileNameEdit() const {
    return findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QPushButton* FileOrFolderDialog::openButton() const {
    auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box ? box->button(QDialogButtonBox::Open) : nullptr;
}

bool FileOrFolderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QAbstractItemView*>(watched)) {
        // Enter chooses what is selected, as Open does; Qt would go into the current folder
        // and drop the rest of the selection.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !selectedInList().isEmpty()) {
            accept();
            return true;
        }
    }
    QPushButton* button = openButton();
    if (watched == button && event->type() == QEvent::EnabledChange && !button->isEnabled()) {
        const QLineEdit* edit = fileNameEdit();
        if (edit && edit->text().isEmpty())
            button->setEnabled(true);
    }
    return QFileDialog::eventFilter(watched, event);
}

// Qt leaves the last file's name in the name field when a folder alone is selected next, and
// would then choose that file too.
void FileOrFolderDialog::forgetNameOfUnselectedFile() {
    QLineEdit* edit = fileNameEdit();
    if (!edit || edit->hasFocus() || typedAFolder())
        return;
    const QStringList selected = selectedInList();
    const bool foldersOnly = !selected.isEmpty() && std::all_of(selected.cbegin(), selected.cend(),
                                                                [](const QString& path) {
                                                                    return QFileInfo(path).isDir();
                                                                });
    if (foldersOnly)
        edit->clear();
}

bool FileOrFolderDialog::typedAFolder() const {
    const QLineEdit* edit = fileNameEdit();
    const QString typed = edit ? edit->text() : QString();
    return !typed.isEmpty() && QFileInfo(directory(), typed).isDir();
}

void FileOrFolderDialog::accept() {
    // With an empty name field Qt counts the folder shown as typed; only the list counts then.
    const QLineEdit* edit = fileNameEdit();
    QStringList paths = edit && !edit->text().isEmpty() ? selectedFiles() : selectedInList();
    const bool missing = std::any_of(paths.cbegin(), paths.cend(),
                                     [](const QString& path) { return !QFileInfo::exists(path); });
    // Qt's own handling goes into a typed folder and names a missing file.
    if (typedAFolder() || missing)
        return QFileDialog::accept();
    if (paths.isEmpty())
        paths.append(directory().absolutePath());
    m_chosenUrls.clear();
    for (const QString& path : paths)
        m_chosenUrls.append(QUrl::fromLocalFile(path));
    QDialog::accept();
}

} // namespace palvorn
