#pragma once

#include "core/model/ResourceItem.h"

#include <memory>
#include <optional>

#include <QDialog>

namespace Ui {
class EditorDialog;
}

namespace palvorn {

class Confirmation;
class ErrorAlert;

// The attribute editor: a name, a format and the value as text in that format. It works on its
// own copy of the record it was given, so that nothing it does reaches the inspector before a
// save. On save it turns the text back into bytes and emits a new record; whoever writes it
// closes the editor with accept(). A text that does not convert, or a value the file refuses,
// leaves the editor open with the text.
class EditorDialog : public QDialog {
    Q_OBJECT

public:
    // path: the file edited, named when a text is refused. confirmation: asks before a change of
    // format throws a text away; none gives the real question. record: the record to edit, none
    // for a new attribute.
    EditorDialog(ErrorAlert& alert, Confirmation* confirmation, QString path,
                       const ResourceItemPtr& record, QWidget* parent = nullptr);
    ~EditorDialog() override;

    Ui::EditorDialog& ui() const { return *m_ui; }
    // The editor's copy of the record it opened, none for a new attribute.
    const std::optional<ResourceItem>& original() const { return m_original; }

    // The format chosen: the text is converted to it, or, where it cannot be read in the format
    // it was in, shown afresh after the user agreed to lose it.
    void changeFormat();
    // Emits saveRequested() with the record the name and text stand for, or shows why they
    // stand for none.
    void save();

    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // The record to write, under the name typed; original() is the one it replaces. The editor
    // stays open until accept(): a write that failed leaves the text to be mended.
    void saveRequested(const palvorn::ResourceItem& edited);

private:
    // Fills in the formats and, for a record to edit, its name and value.
    void showOriginal();
    // Shows bytes as text in a format; that text, unchanged, stands for exactly these bytes.
    void showValue(const QByteArray& bytes, int format);
    // The name whose structure the structure format stands for: the edited record's.
    QByteArray structureName() const;
    void setContentText(const QString& text);

    std::unique_ptr<Ui::EditorDialog> m_ui;
    ErrorAlert& m_alert;
    Confirmation* m_confirmation;
    std::unique_ptr<Confirmation> m_ownConfirmation; // where none was given
    QString m_path;
    std::optional<ResourceItem> m_original;
    // What the content box shows as the editor last wrote it, and the bytes and format it stands
    // for: a text left as it was is not converted again (a round trip through another format
    // would change its bytes).
    QString m_shownText;
    QByteArray m_shownBytes;
    int m_shownFormat = 0;
};

} // namespace palvorn
