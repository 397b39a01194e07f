#include "editor/EditViewController.h"

#include "editor/EditorConversion.h"
#include "inspector/ViewController.h"
#include "model/AttributeFailure.h"
#include "model/AttributeName.h"
#include "platform/ErrorAlert.h"
#include "platform/InitialSize.h"
#include "ui_EditViewController.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace palvorn {

EditViewController::EditViewController(ErrorAlert& alert, ViewController* presenting,
                                       QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::EditViewController>()), m_alert(alert),
      m_presenting(presenting) {
    m_ui->setupUi(this);
    resize(InitialSize::within(*this, size()));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->contentTextview->setFont(fixed);
    m_ui->contentTextview->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 4);
    // activated: only the user's choice, not the items being filled in.
    connect(m_ui->formatPopup, &QComboBox::activated, this, &EditViewController::doFormatPopup);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &EditViewController::saveButton);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &EditViewController::cancelButton);
}

EditViewController::~EditViewController() = default;

void EditViewController::setRepresentedObject(ResourceItemPtr record) {
    if (record)
        m_editRes.append(std::move(record));
}

void EditViewController::viewDidLoad() {
    m_ui->formatPopup->clear();
    m_ui->formatPopup->addItems(EditorConversion::formatList());
    if (m_editRes.isEmpty())
        return;
    const ResourceItemPtr& record = m_editRes.constFirst();
    m_ui->nameTextbox->setText(record->name());
    setContentText(record->editableText());
    m_ui->formatPopup->setCurrentIndex(EditorConversion::formatOfType(record->type()));
}

void EditViewController::doFormatPopup() {
    if (m_editRes.isEmpty())
        return;
    // The inspector's own record: the chosen type stays with it after the editor closes.
    const ResourceItemPtr& record = m_editRes.constFirst();
    record->setType(EditorConversion::typeOfFormat(m_ui->formatPopup->currentIndex()));
    setContentText(record->editableText());
}

void EditViewController::saveButton() {
    if (!m_presenting) {
        reject();
        return;
    }
    // The name box shows names as reports do, escapes included, and takes them back the same way.
    const TypedName name = typedName(m_ui->nameTextbox->text());
    const int format = m_ui->formatPopup->currentIndex();
    const EditorConversion::Result converted =
        EditorConversion::bytesFor(format, m_ui->contentTextview->toPlainText());
    if (!name.name || !converted.bytes) {
        // Writing an empty value instead would wipe the attribute; the text stays for mending.
        m_alert.showErrorAlert(AttributeFailure({}, name.name ? converted.problem : name.problem,
                                                m_presenting->theSourcePath(),
                                                name.name.value_or(QByteArray()))
                                   .text());
        return;
    }
    auto record = std::make_shared<ResourceItem>(*name.name, *converted.bytes);
    record->setType(EditorConversion::typeOfFormat(format));
    m_presenting->editRes() = {record};
    // The inspector has shown why a write failed; the text stays here to be mended or saved again.
    if (m_presenting->commitEditedAttribute(m_editRes.isEmpty() ? nullptr
                                                                : m_editRes.constFirst().get()))
        accept();
}

void EditViewController::cancelButton() {
    reject();
}

void EditViewController::setContentText(const QString& text) {
    m_ui->contentTextview->setPlainText(text);
}

} // namespace palvorn
