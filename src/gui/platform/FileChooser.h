#pragma once

#include "core/platform/OpenPanel.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace palvorn {

class FolderEntryModel;

// The open dialog. It lists a folder by its names' bytes, so that a name that is not UTF-8 is
// listed and opened like any other (Qt's own dialog leaves such names out), and it takes files or
// folders as the options say:
// - what is selected is chosen with Open or Enter; a folder is gone into by a double click or
//   Alt+Down (and by Open where only files may be chosen); Backspace or Alt+Up goes up;
// - a typed name or path is chosen with Enter, a typed folder is gone into;
// - where folders may be chosen, Open with nothing selected or typed chooses the folder shown.
// Paths are bytes (see ByteText).
class FileChooser : public QDialog {
    Q_OBJECT

public:
    FileChooser(QWidget* parent, const OpenPanel::Options& options);
    ~FileChooser() override;

    // Shows the folder's entries; false, with the reason in the dialog, when it cannot be read.
    // Taken by value: it may be an entry of the list it replaces.
    bool setFolder(QString folder);
    const QString& folder() const { return m_folder; }
    // What the user chose, once the dialog has been accepted.
    const QStringList& chosenPaths() const { return m_chosen; }

    QTreeView& list() const { return *m_list; }
    QLineEdit& nameField() const { return *m_name; }
    QLineEdit& folderField() const { return *m_folderField; }
    QPushButton& openButton() const { return *m_open; }
    // Why the last step did nothing: a folder that cannot be read, a name that names nothing.
    QString note() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

public Q_SLOTS:
    void accept() override;

private:
    void buildLayout();
    void goUp();
    void goIntoSelected();
    void openRow(const QModelIndex& index);
    void goToTypedFolder();
    // The path a typed name or path stands for: below the folder shown, or from "/" or "~".
    QString typedPath(const QString& text) const;
    QStringList selectedPaths() const;
    void choose(const QStringList& paths);
    void showNote(const QString& text);
    void enableOpen();

    OpenPanel::Options m_options;
    QString m_folder;
    QStringList m_chosen;
    FolderEntryModel* m_model;
    QTreeView* m_list;
    QLineEdit* m_folderField;
    QPushButton* m_up;
    QLineEdit* m_name;
    QLabel* m_note;
    QPushButton* m_open;
};

} // namespace palvorn
