#include "inspector/ViewController.h"

#include "editor/EditViewController.h"
#include "inspector/AttributeCommands.h"
#include "inspector/AttributeTableModel.h"
#include "inspector/Document.h"
#include "inspector/InspectorReport.h"
#include "inspector/NameFlags.h"
#include "model/ResourceList.h"
#include "platform/ErrorAlert.h"
#include "platform/OpenPanel.h"
#include "platform/Pasteboard.h"
#include "platform/SavePanel.h"
#include "ui_ViewController.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QShowEvent>

namespace palvorn {

ViewController::ViewController(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ViewController>()), m_platform(platform),
      m_table(new AttributeTableModel(this)) {
    m_ui->setupUi(this);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->outputTextcontent->setFont(fixed);
    // Property-list XML is indented with tabs; four columns keep deep lists readable.
    m_ui->outputTextcontent->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 4);
    m_ui->xattrTable->setModel(m_table);
    m_ui->xattrTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_ui->xattrTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_ui->splitter->setStretchFactor(1, 2);

    connect(m_ui->xattrTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ViewController::showSelectedAttribute);
    // A click on the current row changes no selection, yet shows it again, as does a double click.
    connect(m_ui->xattrTable, &QAbstractItemView::clicked, this,
            &ViewController::showSelectedAttribute);
    connect(m_ui->xattrTable, &QAbstractItemView::doubleClicked, this,
            &ViewController::showSelectedAttribute);
    connect(m_ui->inspectButton, &QPushButton::clicked, this, &ViewController::chooseFileToInspect);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &ViewController::saveReport);
    connect(m_ui->newXattrButton, &QPushButton::clicked, this, &ViewController::openEditor);
    connect(m_ui->removeXattrButton, &QPushButton::clicked, this,
            &ViewController::cutSelectedAttributes);
    connect(m_ui->copyXattrButton, &QPushButton::clicked, this, &ViewController::copyWithSender);
    connect(m_ui->pasteXattrButton, &QPushButton::clicked, this, &ViewController::pasteWithSender);
    connect(m_ui->addQuarButton, &QPushButton::clicked, this, &ViewController::addQuarantine);
    connect(m_ui->addFlagButton, &QPushButton::clicked, this, &ViewController::addNameFlags);
    connect(m_ui->stripFlagButton, &QPushButton::clicked, this, &ViewController::stripNameFlags);
    viewDidLoad();
}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
    for (QPushButton* button :
         {m_ui->addQuarButton, m_ui->pasteXattrButton, m_ui->removeXattrButton,
          m_ui->copyXattrButton, m_ui->newXattrButton})
        button->setEnabled(false);
    m_ui->newXattrButton->setText(tr("New"));
    m_table->setRecords({});
}

void ViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        viewDidAppear();
}

void ViewController::viewDidAppear() {
    setWindowTitleText(QStringLiteral("palvorn"));
    if (m_document && !m_document->fileUrl().isEmpty())
        inspectFile(m_document->fileUrl());
}

void ViewController::setWindowTitleText(const QString& title) {
    window()->setWindowTitle(title);
}

void ViewController::inspectFile(const QUrl& url) {
    m_theSourcePath = url.toLocalFile();
    m_theFilename = QFileInfo(m_theSourcePath).fileName();
    if (m_document)
        m_document->setDisplayName(InspectorReport::defaultReportName(m_theFilename));
    setWindowTitleText(m_theFilename);
    m_theSourceURL = url;
    if (m_reslist) {
        m_reslist.reset();
        m_table->setRecords({});
        showContentText(QString());
    }
    m_editRes.clear();
    loadList();
    m_ui->filenameTextbox->setText(m_theSourcePath);
    m_ui->addQuarButton->setEnabled(true);
    m_ui->removeXattrButton->setEnabled(false);
    m_ui->copyXattrButton->setEnabled(false);
    m_ui->pasteXattrButton->setEnabled(true);
    m_ui->newXattrButton->setEnabled(true);
    m_ui->newXattrButton->setText(tr("New"));
}

void ViewController::loadList(bool refreshSummary) {
    m_reslist = std::make_unique<ResourceList>(*m_theSourceURL, m_platform.alert);
    if (refreshSummary)
        refreshSizeSummary();
    m_table->setRecords(m_reslist->children());
}

void ViewController::reloadAttributes() {
    m_reslist.reset();
    m_table->setRecords({});
    showContentText(QString());
    if (m_theSourceURL)
        loadList();
}

void ViewController::refreshSizeSummary() {
    m_ui->quarantTextbox->setText(InspectorReport::sizeSummary(m_reslist.get(), m_theSourcePath));
}

void ViewController::showContentText(const QString& text) {
    m_ui->outputTextcontent->setPlainText(text);
}

int ViewController::selectedRow() const {
    const QItemSelectionModel* selection = m_ui->xattrTable->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return -1;
    return std::min_element(
               rows.cbegin(), rows.cend(),
               [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); })
        ->row();
}

void ViewController::showSelectedAttribute() {
    const int row = selectedRow();
    if (row >= 0) {
        const ResourceItemPtr record = m_table->recordAt(row);
        if (!record)
            return;
        m_ui->xattrTextbox->setText(record->name());
        showContentText(record->displayText());
        m_ui->newXattrButton->setText(tr("Edit"));
        m_ui->removeXattrButton->setEnabled(true);
        m_ui->copyXattrButton->setEnabled(true);
        return;
    }
    m_ui->newXattrButton->setText(tr("New"));
    m_ui->xattrTextbox->clear();
    showContentText(QString());
    m_ui->removeXattrButton->setEnabled(false);
    m_ui->copyXattrButton->setEnabled(false);
}

QString ViewController::reportText() const {
    if (selectedRow() < 0 && m_reslist)
        return InspectorReport::bodyOf(m_reslist->displayTexts());
    return m_ui->outputTextcontent->toPlainText();
}

QString ViewController::savedReportText() const {
    return InspectorReport::reportText(m_ui->filenameTextbox->text(), reportText());
}

void ViewController::chooseFileToInspect() {
    OpenPanel::Options options;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_platform.openPanel.begin(window(), options, [this](const QList<QUrl>& urls) {
        if (!urls.isEmpty())
            inspectFile(urls.constFirst());
    });
}

void ViewController::saveReport() {
    // What is saved is what the window shows now, whatever happens while the panel is open.
    const QString text = savedReportText();
    SavePanel::Options options;
    options.nameFieldStringValue = InspectorReport::defaultReportName(m_theFilename);
    options.allowedFileTypes = {QStringLiteral("text"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    const QString inspected = m_theSourcePath;
    ErrorAlert& alert = m_platform.alert;
    // A free-standing panel: the report is already built, so it may outlive this window.
    m_platform.savePanel.begin(
        nullptr, options, [&alert, text, inspected](const std::optional<QUrl>& url) {
            if (!url)
                return;
            const QString error = InspectorReport::writeReport(url->toLocalFile(), text, inspected);
            if (!error.isEmpty())
                alert.showErrorAlert(error);
        });
}

void ViewController::openEditor() {
    auto* editor = new EditViewController(m_platform.alert, this, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    const int row = selectedRow();
    if (row >= 0 && m_reslist)
        editor->setRepresentedObject(m_table->recordAt(row));
    editor->viewDidLoad();
    m_editor = editor;
    // A sheet: modal to this window only, so other documents stay usable.
    editor->setWindowModality(Qt::WindowModal);
    editor->open();
}

EditViewController* ViewController::editor() const {
    return m_editor;
}

void ViewController::commitEditedAttribute() {
    if (!m_theSourceURL || m_editRes.isEmpty())
        return;
    const QList<AttributeFailure> failures =
        AttributeCommands::writeRecord(m_theSourcePath, *m_editRes.constFirst());
    if (!failures.isEmpty()) {
        m_platform.alert.showErrorAlert(failures.constFirst().text());
        return;
    }
    reloadAttributes();
}

QList<int> ViewController::selectedRowIndexes() const {
    QList<int> rows;
    for (const QModelIndex& index : m_ui->xattrTable->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ViewController::copySelectedAttributes(Pasteboard& pasteboard) {
    const QList<int> rows = selectedRowIndexes();
    if (rows.isEmpty())
        return;
    QList<QByteArray> archives;
    for (int row : rows) {
        if (const ResourceItemPtr record = m_table->recordAt(row))
            archives.append(record->archive());
    }
    pasteboard.writeRecords(archives);
}

void ViewController::cutSelectedAttributes() {
    copySelectedAttributes(m_platform.pasteboard);
    const QList<int> rows = selectedRowIndexes();
    if (!m_theSourceURL || rows.isEmpty())
        return;
    // The list loaded before the command names the rows the user chose, however removals go.
    for (int row : rows) {
        const ResourceItemPtr record = m_reslist ? m_table->recordAt(row) : nullptr;
        if (!record) {
            m_platform.alert.showErrorAlert(QStringLiteral("xattr not found"));
            continue;
        }
        for (const AttributeFailure& failure :
             AttributeCommands::removeRecords(m_theSourcePath, {record}))
            m_platform.alert.showErrorAlert(failure.text());
    }
    reloadAttributes();
}

bool ViewController::pasteAttributes(Pasteboard& pasteboard) {
    if (!m_theSourceURL)
        return false;
    const QList<std::optional<QByteArray>> items = pasteboard.items();
    if (items.isEmpty())
        return false;
    for (const std::optional<QByteArray>& item : items) {
        if (!item || !m_reslist)
            continue;
        for (const AttributeFailure& failure :
             AttributeCommands::pasteArchives(m_theSourcePath, {*item}))
            m_platform.alert.showErrorAlert(failure.text());
    }
    reloadAttributes();
    return true;
}

void ViewController::copyWithSender() {
    copySelectedAttributes(m_platform.pasteboard);
}

void ViewController::pasteWithSender() {
    pasteAttributes(m_platform.pasteboard);
}

void ViewController::addQuarantine() {
    if (!m_theSourceURL)
        return;
    const Quarantine::Stamp stamp = m_quarantine.makeStamp();
    const QList<AttributeFailure> failures = AttributeCommands::writeRecord(
        m_theSourcePath, ResourceItem(Quarantine::attributeName(), stamp.value));
    if (!failures.isEmpty()) {
        m_platform.alert.showErrorAlert(failures.constFirst().text());
        return;
    }
    // The list shows the new value before the database is asked; the summary comes last.
    m_reslist.reset();
    m_table->setRecords({});
    showContentText(QString());
    loadList(false);
    if (const std::optional<QString> failure = m_quarantine.recordEvent(stamp))
        m_platform.alert.showErrorAlert(*failure);
    refreshSizeSummary();
}

QList<QByteArray> ViewController::selectedNames() const {
    QList<QByteArray> names;
    if (!m_theSourceURL)
        return names;
    for (int row : selectedRowIndexes()) {
        if (const ResourceItemPtr record = m_table->recordAt(row))
            names.append(record->rawName());
    }
    return names;
}

void ViewController::addNameFlags() {
    const QString flag = m_ui->flagTextbox->text();
    if (flag.isEmpty() || selectedRowIndexes().isEmpty())
        return;
    for (const AttributeFailure& failure :
         NameFlags::addNameFlags(m_theSourcePath, selectedNames(), flag.toUtf8()))
        m_platform.alert.showErrorAlert(failure.text());
    reloadAttributes();
}

void ViewController::stripNameFlags() {
    if (selectedRowIndexes().isEmpty())
        return;
    for (const AttributeFailure& failure :
         NameFlags::stripNameFlags(m_theSourcePath, selectedNames()))
        m_platform.alert.showErrorAlert(failure.text());
    reloadAttributes();
}

} // namespace palvorn
