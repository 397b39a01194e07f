#pragma once

#include <QFileDialog>
#include <QList>
#include <QUrl>

class QItemSelectionModel;
class QLineEdit;
class QPushButton;

namespace palvorn {

// Qt's own dialog chooses either files or folders. This one, non-native, chooses both, the way
// an open panel that may choose folders does elsewhere:
// - a file, or a folder selected in the list, is chosen with Open (or Enter);
// - a double-clicked or typed folder is gone into; Open with nothing selected or typed then
//   chooses the folder shown, so a typed folder is chosen with a second Enter.
class FileOrFolderDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit FileOrFolderDialog(QWidget* parent, bool multipleSelection);

    // What the user chose, once the dialog has been accepted.
    const QList<QUrl>& chosenUrls() const { return m_chosenUrls; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void accept() override;

private:
    QLineEdit* fileNameEdit() const;
    QPushButton* openButton() const;
    QItemSelectionModel* listSelection() const;
    QStringList selectedInList() const;
    void forgetNameOfUnselectedFile();
    bool typedAFolder() const;

    QList<QUrl> m_chosenUrls;
};

} // namespace palvorn
