#pragma once

#include "model/ResourceItem.h"

#include <memory>

#include <QDialog>
#include <QPointer>

namespace Ui {
class EditViewController;
}

namespace palvorn {

class ErrorAlert;
class ViewController;

// The attribute editor: a name, a format and the value as text in that format. On save it turns
// the text back into bytes and hands a new record to the inspector that presented it. A text
// that does not convert, or a value the file refuses, leaves the editor open with the text.
class EditViewController : public QDialog {
    Q_OBJECT

public:
    EditViewController(ErrorAlert& alert, ViewController* presenting, QWidget* parent = nullptr);
    ~EditViewController() override;

    Ui::EditViewController& ui() const { return *m_ui; }
    QList<ResourceItemPtr>& editRes() { return m_editRes; }

    // The record to edit, before the view loads; without one the editor makes a new attribute.
    void setRepresentedObject(ResourceItemPtr record);
    void viewDidLoad();
    void doFormatPopup();
    void saveButton();
    void cancelButton();

private:
    QByteArray structureName() const;
    void setContentText(const QString& text);

    std::unique_ptr<Ui::EditViewController> m_ui;
    ErrorAlert& m_alert;
    QPointer<ViewController> m_presenting;
    QList<ResourceItemPtr> m_editRes;
};

} // namespace palvorn
