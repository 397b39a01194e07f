#include "gui/editor/EditorDialog.h"

#include "core/editor/EditorConversion.h"
#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/platform/ErrorAlert.h"
#include "gui/platform/InitialSize.h"
#include "gui/platform/QtConfirmation.h"
#include "ui_EditorDialog.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPointer>

namespace palvorn {

namespace {

bool isControlTab(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier;
}

} // namespace

EditorDialog::EditorDialog(ErrorAlert& alert, Confirmation* confirmation, QString path,
                                       const ResourceItemPtr& record, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::EditorDialog>()), m_alert(alert),
      m_confirmation(confirmation), m_path(std::move(path)) {
    if (record)
        m_original = *record;
    m_ui->setupUi(this);
    resize(InitialSize::within(*this, size()));
    if (!m_confirmation) {
        m_ownConfirmation = std::make_unique<QtConfirmation>();
        m_confirmation = m_ownConfirmation.get();
    }
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->contentTextview->setFont(fixed);
    m_ui->contentTextview->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 4);
    // Tab moves on to the buttons, as everywhere else; Ctrl+Tab types a tab.
    m_ui->contentTextview->setTabChangesFocus(true);
    m_ui->contentTextview->installEventFilter(this);
    // activated: only the user's choice, not the items being filled in.
    connect(m_ui->formatPopup, &QComboBox::activated, this, &EditorDialog::changeFormat);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &EditorDialog::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    showOriginal();
}

EditorDialog::~EditorDialog() = default;

void EditorDialog::showOriginal() {
    m_ui->formatPopup->clear();
    m_ui->formatPopup->addItems(EditorConversion::formatList(structureName()));
    if (!m_original)
        return;
    m_ui->nameTextbox->setText(m_original->name());
    showValue(m_original->data(), EditorConversion::formatOfType(m_original->type()));
}

void EditorDialog::showValue(const QByteArray& bytes, int format) {
    m_shownBytes = bytes;
    m_shownFormat = format;
    m_shownText = EditorConversion::textFor(format, bytes, structureName());
    m_ui->formatPopup->setCurrentIndex(format);
    setContentText(m_shownText);
}

void EditorDialog::changeFormat() {
    const int format = m_ui->formatPopup->currentIndex();
    if (format == m_shownFormat)
        return;
    const QString text = m_ui->contentTextview->toPlainText();
    if (text == m_shownText)
        return showValue(m_shownBytes, format);
    const Result<QByteArray> converted =
        EditorConversion::bytesFor(m_shownFormat, text, structureName());
    if (converted)
        return showValue(*converted, format);
    // The text stays in its format unless the user agrees to lose it.
    const int from = m_shownFormat;
    m_ui->formatPopup->setCurrentIndex(from);
    const QPointer<EditorDialog> alive(this);
    m_confirmation->ask(
        this, EditorConversion::discardQuestion(from, format, converted.error(), structureName()),
        [alive, format] {
            if (alive)
                alive->showValue(alive->m_shownBytes, format);
        });
}

void EditorDialog::save() {
    // The name box shows names as reports do, escapes included, and takes them back the same way.
    const TypedName name = typedName(m_ui->nameTextbox->text());
    const int format = m_ui->formatPopup->currentIndex();
    const Result<QByteArray> converted =
        EditorConversion::bytesFor(format, m_ui->contentTextview->toPlainText(), structureName());
    if (!name.name || !converted) {
        // Writing an empty value instead would wipe the attribute; the text stays for mending.
        m_alert.showErrorAlert(
            Error({}, name.name ? EditorConversion::problemOf(converted.error()) : name.problem,
                  m_path, name.name.value_or(QByteArray()))
                .text());
        return;
    }
    ResourceItem record(*name.name, *converted);
    record.setType(EditorConversion::typeOfFormat(format));
    Q_EMIT saveRequested(record);
}

bool EditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_ui->contentTextview || !isControlTab(event))
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept(); // the key is the text's, not a shortcut's
        return true;
    }
    m_ui->contentTextview->insertPlainText(QStringLiteral("\t"));
    return true;
}

QByteArray EditorDialog::structureName() const {
    // The edited record's name decides which structure the format entry stands for, whatever name
    // the value is saved under.
    return m_original ? m_original->rawName() : QByteArray();
}

void EditorDialog::setContentText(const QString& text) {
    m_ui->contentTextview->setPlainText(text);
}

} // namespace palvorn
