#include "gui/inspector/InspectorView.h"

#include "core/inspector/InspectorReport.h"
#include "core/model/AttributeName.h"
#include "core/model/ResourceList.h"
#include "core/platform/DroppedPaths.h"
#include "core/platform/ErrorAlert.h"
#include "gui/editor/EditorDialog.h"
#include "gui/inspector/AttributeHistory.h"
#include "gui/inspector/AttributeTable.h"
#include "gui/inspector/AttributeTableModel.h"
#include "gui/inspector/Document.h"
#include "gui/inspector/InspectedFile.h"
#include "gui/inspector/InspectorPanels.h"
#include "gui/inspector/ReloadStatusLine.h"
#include "gui/platform/FirstRowSelection.h"
#include "ui_InspectorView.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QSettings>
#include <QShowEvent>

namespace palvorn {

namespace {

const QString splitterKey = QStringLiteral("inspector/splitter");

} // namespace

InspectorView::InspectorView(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::InspectorView>()), m_platform(platform),
      m_file(new InspectedFile(this)), m_history(new AttributeHistory(this)) {
    m_ui->setupUi(this);
    m_table = new AttributeTable(*m_ui->xattrTable);
    m_commands = std::make_unique<InspectorCommands>(*m_file, *m_table, *m_history,
                                                     m_platform.alert, m_platform.pasteboard);
    setUpContentPane();
    setUpSplitter();
    setAcceptDrops(true);
    connectControls();
    new FirstRowSelection(*m_ui->xattrTable);
    // The keyboard starts where the attributes are.
    m_ui->xattrTable->setFocus();
    for (QPushButton* button :
         {m_ui->quarantineButton, m_ui->pasteXattrButton, m_ui->removeXattrButton,
          m_ui->copyXattrButton, m_ui->newXattrButton, m_ui->addFlagButton, m_ui->stripFlagButton})
        button->setEnabled(false);
    m_ui->newXattrButton->setText(tr("&New"));
}

// Said while every part still lives: closing the open editor or dropping the focus moves the
// keyboard, and those who follow it must not ask a controller that is half gone.
InspectorView::~InspectorView() {
    Q_EMIT aboutToBeDestroyed();
}

void InspectorView::setUpContentPane() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->outputTextcontent->setFont(fixed);
    // Property-list XML is indented with tabs; four columns keep deep lists readable.
    m_ui->outputTextcontent->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 4);
    // A long value's hex is one line of up to 150,000 characters: the pane wraps it between its
    // groups of four bytes. Only the view wraps; the text, and so the report, stays one line.
    m_ui->outputTextcontent->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void InspectorView::setUpSplitter() {
    // The table gets the larger share: files with many attributes are the ones to look through.
    m_ui->splitter->setStretchFactor(0, 3);
    m_ui->splitter->setStretchFactor(1, 2);
    const QByteArray state = QSettings().value(splitterKey).toByteArray();
    if (!state.isEmpty())
        m_ui->splitter->restoreState(state);
    connect(m_ui->splitter, &QSplitter::splitterMoved, this,
            [this] { QSettings().setValue(splitterKey, m_ui->splitter->saveState()); });
}

void InspectorView::connectControls() {
    connect(m_file, &InspectedFile::changedElsewhere, this, &InspectorView::reloadAutomatically);
    connect(m_ui->xattrTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &InspectorView::showSelectedAttribute);
    // A click on the current row changes no selection, yet shows it again, as does a double click.
    connect(m_ui->xattrTable, &QAbstractItemView::clicked, this,
            &InspectorView::showSelectedAttribute);
    connect(m_ui->xattrTable, &QAbstractItemView::doubleClicked, this,
            &InspectorView::showSelectedAttribute);
    // Enter, or a double click, edits the row.
    connect(m_ui->xattrTable, &QAbstractItemView::activated, this, &InspectorView::editRow);
    connect(m_ui->inspectButton, &QPushButton::clicked, this, &InspectorView::chooseFileToInspect);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &InspectorView::saveReport);
    connect(m_ui->newXattrButton, &QPushButton::clicked, this, &InspectorView::openEditor);
    connect(m_ui->removeXattrButton, &QPushButton::clicked, this, &InspectorView::cutAttributes);
    connect(m_ui->copyXattrButton, &QPushButton::clicked, this, &InspectorView::copyAttributes);
    connect(m_ui->pasteXattrButton, &QPushButton::clicked, this, &InspectorView::pasteAttributes);
    connect(m_ui->quarantineButton, &QPushButton::clicked, this, &InspectorView::addQuarantine);
    connect(m_ui->addFlagButton, &QPushButton::clicked, this, &InspectorView::addNameFlags);
    connect(m_ui->stripFlagButton, &QPushButton::clicked, this, &InspectorView::stripNameFlags);
    connect(m_ui->flagTextbox, &QLineEdit::textChanged, this, &InspectorView::enableFlagCommands);
}

// The document's file is read each time the window is shown by the program.
void InspectorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    setWindowTitleText(QStringLiteral("palvorn"));
    if (m_document && !m_document->localPath().isEmpty())
        inspectPath(m_document->localPath());
}

void InspectorView::setWindowTitleText(const QString& title) {
    window()->setWindowTitle(title);
}

void InspectorView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPaths::localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void InspectorView::dropEvent(QDropEvent* event) {
    QStringList files = DroppedPaths::localPaths(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    inspectPath(files.takeFirst());
    for (const QString& path : std::as_const(files))
        Q_EMIT openDocumentRequested(path);
}

void InspectorView::inspectPath(const QString& localPath) {
    const bool hadList = m_file->attributes() != nullptr;
    m_file->setPath(localPath);
    if (m_document)
        m_document->setDisplayName(InspectorReport::defaultReportName(m_file->fileName()));
    setWindowTitleText(m_file->fileName());
    if (hadList) {
        m_table->setRows({});
        showContentText(QString());
    }
    // The history belongs to the file it changed; it is not carried over to another one.
    m_history->clear();
    Q_EMIT statusNote(QString());
    const QList<Error> failures = loadList();
    showReloadStatus({});
    // Shown as reports show paths; the saved report's first line is this text.
    m_ui->filenameTextbox->setText(displayName(nativePath(m_file->path())));
    m_ui->quarantineButton->setEnabled(true);
    m_ui->pasteXattrButton->setEnabled(true);
    m_ui->newXattrButton->setEnabled(true);
    // A model reset tells the selection nothing: the name box and the row commands would stay
    // with the last file's row.
    showSelectedAttribute();
    showFailures(failures);
}

void InspectorView::reloadAttributes() {
    reloadSelecting(AttributeTable::systemNames(m_table->selectedNames()));
}

void InspectorView::reloadAutomatically() {
    reloadSelecting(AttributeTable::systemNames(m_table->selectedNames()), true);
}

void InspectorView::showReloadStatus(const QList<Error>& failures) {
    ReloadStatusLine(*m_ui->reloadStatusLabel).show(failures);
}

// Reads the list afresh into the size summary and the table.
QList<Error> InspectorView::loadList() {
    const QList<Error> failures = m_file->load();
    refreshSizeSummary();
    m_table->setRows(m_file->attributes()->rows());
    return failures;
}

// The controls are set from the new list in every case: a reload never leaves a name, a
// button title or an enabled command that belongs to the old one.
void InspectorView::reloadSelecting(const QList<QByteArray>& names, bool automatic) {
    m_file->forget();
    m_table->setRows({});
    showContentText(QString());
    QList<Error> failures;
    if (m_file->hasFile())
        failures = loadList();
    // The selection is back before anything is shown about the failures.
    m_table->selectNames(names);
    showSelectedAttribute();
    if (automatic) {
        showReloadStatus(failures);
        return;
    }
    showReloadStatus({});
    showFailures(failures);
}

void InspectorView::reloadRenamed(const std::optional<InspectorCommands::Renames>& renames) {
    if (!renames)
        return;
    reloadAttributes();
    m_table->selectRenamed(*renames);
    showSelectedAttribute();
}

void InspectorView::refreshSizeSummary() {
    m_ui->sizeSummaryLabel->setText(
        InspectorReport::sizeSummary(m_file->attributes(), m_file->path()));
}

void InspectorView::showContentText(const QString& text) {
    m_ui->outputTextcontent->setPlainText(text);
}

void InspectorView::showSelectedAttribute() {
    const int row = m_table->shownRow();
    if (row >= 0) {
        const ResourceItemPtr record = m_table->model().recordAt(row);
        const std::optional<Error> unreadable = m_table->model().unreadableAt(row);
        if (!record && !unreadable)
            return;
        m_ui->xattrTextbox->setText(displayName(m_table->model().nameAt(row)));
        // A value that could not be read keeps its row; the pane says why.
        showContentText(record ? record->displayText() : unreadable->text());
        m_ui->newXattrButton->setText(tr("E&dit"));
        m_ui->newXattrButton->setEnabled(record != nullptr);
        m_ui->removeXattrButton->setEnabled(true);
        m_ui->copyXattrButton->setEnabled(true);
    } else {
        m_ui->newXattrButton->setText(tr("&New"));
        m_ui->newXattrButton->setEnabled(hasFile());
        m_ui->xattrTextbox->clear();
        showContentText(QString());
        m_ui->removeXattrButton->setEnabled(false);
        m_ui->copyXattrButton->setEnabled(false);
    }
    enableFlagCommands();
    Q_EMIT selectionStateChanged();
}

void InspectorView::enableFlagCommands() {
    const bool selected = hasSelectedAttributes();
    m_ui->addFlagButton->setEnabled(selected && !m_ui->flagTextbox->text().isEmpty());
    m_ui->stripFlagButton->setEnabled(selected);
}

bool InspectorView::hasSelectedAttributes() const {
    return hasFile() && m_table->hasSelection();
}

bool InspectorView::hasFile() const {
    return m_file->hasFile();
}

bool InspectorView::tableHasFocus() const {
    return m_ui->xattrTable->hasFocus();
}

bool InspectorView::hasRows() const {
    return m_table->model().rowCount() > 0;
}

bool InspectorView::canEditSelected() const {
    return hasFile() && m_table->model().recordAt(m_table->shownRow()) != nullptr;
}

QList<int> InspectorView::selectedRowIndexes() const {
    return m_table->selectedRows();
}

const ResourceList* InspectorView::attributes() const {
    return m_file->attributes();
}

void InspectorView::selectAll() {
    m_ui->xattrTable->selectAll();
}

void InspectorView::editRow(const QModelIndex& index) {
    QItemSelectionModel* selection = m_ui->xattrTable->selectionModel();
    if (!selection->isRowSelected(index.row()))
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (canEditSelected())
        openEditor();
}

QString InspectorView::reportText() const {
    if (m_table->shownRow() < 0 && m_file->attributes())
        return InspectorReport::bodyOf(m_file->attributes()->displayTexts());
    return m_ui->outputTextcontent->toPlainText();
}

QString InspectorView::savedReportText() const {
    return InspectorReport::reportText(m_ui->filenameTextbox->text(), reportText());
}

void InspectorView::chooseFileToInspect() {
    InspectorPanels(m_platform).chooseFileToInspect(window(), [this](const QString& path) {
        inspectPath(path);
    });
}

void InspectorView::saveReport() {
    InspectorPanels(m_platform).saveReport(m_file->fileName(), m_file->path(), savedReportText());
}

void InspectorView::exportAttributes() {
    if (hasFile())
        InspectorPanels(m_platform).exportDump(m_file->fileName(), m_file->path());
}

void InspectorView::importAttributes() {
    if (!hasFile())
        return;
    InspectorPanels(m_platform).chooseDump(window(), [this](const QString& dump) {
        if (hasFile())
            reloadSelecting(m_commands->importDump(dump));
    });
}

void InspectorView::openEditor() {
    const int row = m_table->shownRow();
    const ResourceItemPtr record = m_table->model().recordAt(row);
    if (!hasFile() || (row >= 0 && !record))
        return;
    auto* editor = new EditorDialog(m_platform.alert, m_platform.confirmation, m_file->path(),
                                          record, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    // A sheet: modal to this window only, so other documents stay usable.
    editor->setWindowModality(Qt::WindowModal);
    m_editor = editor;
    connect(editor, &EditorDialog::saveRequested, this,
            [this, editor](const ResourceItem& edited) {
                const std::optional<ResourceItem>& original = editor->original();
                const std::optional<QList<QByteArray>> saved =
                    m_commands->saveEdited(edited, original ? &*original : nullptr);
                if (!saved)
                    return; // the failure is shown; the text stays in the editor to be mended
                reloadSelecting(*saved);
                editor->accept();
            });
    // Back to the table when the sheet closes, so that the keyboard (Undo, Delete) reaches the
    // window again even where no window manager hands the focus back.
    connect(editor, &QDialog::finished, this, [this] {
        window()->activateWindow();
        m_ui->xattrTable->setFocus();
    });
    editor->open();
}

EditorDialog* InspectorView::editor() const {
    return m_editor;
}

void InspectorView::showFailures(const QList<Error>& failures) {
    if (!failures.isEmpty())
        m_platform.alert.showErrorAlert(Error::listText(failures));
}

const QUndoStack& InspectorView::undoStack() const {
    return m_history->stack();
}

void InspectorView::undo() {
    if (m_history->canUndo())
        showStepTaken(m_history->undo());
}

void InspectorView::redo() {
    if (m_history->canRedo())
        showStepTaken(m_history->redo());
}

void InspectorView::showStepTaken(const QString& refused) {
    if (!refused.isEmpty())
        m_platform.alert.showErrorAlert(refused);
    reloadAttributes();
}

void InspectorView::connectUndoActions(QAction* undo, QAction* redo) {
    m_history->connectActions(undo, redo);
}

void InspectorView::copyAttributes() {
    m_commands->copy();
}

void InspectorView::cutAttributes() {
    if (m_commands->cut())
        reloadAttributes();
}

bool InspectorView::pasteAttributes() {
    if (!m_commands->paste())
        return false;
    reloadAttributes();
    return true;
}

void InspectorView::addNameFlags() {
    reloadRenamed(m_commands->addNameFlags(m_ui->flagTextbox->text()));
}

void InspectorView::stripNameFlags() {
    reloadRenamed(m_commands->stripNameFlags());
}

void InspectorView::addQuarantine() {
    if (!hasFile())
        return;
    const Quarantine::Stamp stamp = m_quarantine.makeStamp();
    if (!m_commands->writeQuarantine(stamp))
        return;
    // The list shows the new value before the database is asked.
    reloadAttributes();
    const Result<QString> event = m_quarantine.recordEvent(stamp, m_file->path());
    if (!event)
        m_platform.alert.showErrorAlert(event.error().text());
    // Without an event database (every system but macOS) the stamp is all there is: no failure.
    Q_EMIT statusNote(event.value_or(QString()));
    // Read again: the database may be the inspected file itself.
    refreshSizeSummary();
}

} // namespace palvorn
