#include "gui/inspector/ViewController.h"

#include "core/inspector/AttributeChange.h"
#include "core/inspector/AttributeCommands.h"
#include "core/inspector/AttributeTransfer.h"
#include "core/inspector/InspectorReport.h"
#include "core/inspector/NameFlags.h"
#include "core/model/AttributeName.h"
#include "core/model/ResourceList.h"
#include "core/model/XattrAccess.h"
#include "core/platform/DroppedPaths.h"
#include "core/platform/ErrorAlert.h"
#include "core/platform/OpenPanel.h"
#include "core/platform/Pasteboard.h"
#include "core/platform/SavePanel.h"
#include "gui/editor/EditViewController.h"
#include "gui/inspector/AttributeTableModel.h"
#include "gui/inspector/AttributeUndoCommand.h"
#include "gui/inspector/Document.h"
#include "gui/platform/FirstRowSelection.h"
#include "gui/platform/PlainText.h"
#include "ui_ViewController.h"

#include <algorithm>

#include <QAction>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QSettings>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QUndoStack>

namespace palvorn {

namespace {

// Undo keeps this many commands; each holds the values its names had before and after (each
// value at most 64 KiB, the system's limit).
constexpr int undoLimit = 50;
// Another program's write often comes as several notices; one reload answers them all.
constexpr int reloadDelayMs = 250;
const QString splitterKey = QStringLiteral("inspector/splitter");

// The names as the commands write them: listed names keep their bytes, typed ones get the
// namespace rule.
QList<QByteArray> systemNames(const QList<QByteArray>& names) {
    QList<QByteArray> system;
    for (const QByteArray& name : names)
        system.append(systemAttributeName(name));
    return system;
}

} // namespace

ViewController::ViewController(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ViewController>()), m_platform(platform),
      m_table(new AttributeTableModel(this)), m_sorted(new QSortFilterProxyModel(this)),
      m_undoStack(new QUndoStack(this)), m_watcher(new QFileSystemWatcher(this)),
      m_reloadTimer(new QTimer(this)) {
    m_ui->setupUi(this);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->outputTextcontent->setFont(fixed);
    // Property-list XML is indented with tabs; four columns keep deep lists readable.
    m_ui->outputTextcontent->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 4);
    // A long value's hex is one line of up to 150,000 characters: the pane wraps it between its
    // groups of four bytes. Only the view wraps; the text, and so the report, stays one line.
    m_ui->outputTextcontent->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Sorting is the user's choice; until a header is clicked the rows keep the system's order.
    m_sorted->setSourceModel(m_table);
    m_sorted->setSortRole(AttributeTableModel::SortRole);
    m_ui->xattrTable->setModel(m_sorted);
    QHeaderView* header = m_ui->xattrTable->horizontalHeader();
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    m_ui->xattrTable->setSortingEnabled(true);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    // The table gets the larger share: files with many attributes are the ones to look through.
    m_ui->splitter->setStretchFactor(0, 3);
    m_ui->splitter->setStretchFactor(1, 2);
    restoreSplitter();
    connect(m_ui->splitter, &QSplitter::splitterMoved, this,
            [this] { QSettings().setValue(splitterKey, m_ui->splitter->saveState()); });
    setAcceptDrops(true);

    m_undoStack->setUndoLimit(undoLimit);
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(reloadDelayMs);
    // The first notice starts the wait and later ones join it: a file written without pause
    // still reloads a few times a second, never starved.
    const auto scheduleReload = [this] {
        if (!m_reloadTimer->isActive())
            m_reloadTimer->start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, scheduleReload);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, scheduleReload);
    connect(m_reloadTimer, &QTimer::timeout, this, &ViewController::reloadAutomatically);

    connect(m_ui->xattrTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ViewController::showSelectedAttribute);
    // A click on the current row changes no selection, yet shows it again, as does a double click.
    connect(m_ui->xattrTable, &QAbstractItemView::clicked, this,
            &ViewController::showSelectedAttribute);
    connect(m_ui->xattrTable, &QAbstractItemView::doubleClicked, this,
            &ViewController::showSelectedAttribute);
    // Enter, or a double click, edits the row.
    connect(m_ui->xattrTable, &QAbstractItemView::activated, this, &ViewController::editRow);
    new FirstRowSelection(*m_ui->xattrTable);
    // The keyboard starts where the attributes are.
    m_ui->xattrTable->setFocus();
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
    connect(m_ui->flagTextbox, &QLineEdit::textChanged, this, &ViewController::enableFlagCommands);
    viewDidLoad();
}

// Said while every part still lives: closing the open editor or dropping the focus moves the
// keyboard, and those who follow it must not ask a controller that is half gone.
ViewController::~ViewController() {
    Q_EMIT aboutToBeDestroyed();
}

void ViewController::viewDidLoad() {
    for (QPushButton* button :
         {m_ui->addQuarButton, m_ui->pasteXattrButton, m_ui->removeXattrButton,
          m_ui->copyXattrButton, m_ui->newXattrButton, m_ui->addFlagButton, m_ui->stripFlagButton})
        button->setEnabled(false);
    m_ui->newXattrButton->setText(tr("&New"));
    m_table->setRows({});
}

void ViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        viewDidAppear();
}

void ViewController::viewDidAppear() {
    setWindowTitleText(QStringLiteral("palvorn"));
    if (m_document && !m_document->localPath().isEmpty())
        inspectPath(m_document->localPath());
}

void ViewController::setWindowTitleText(const QString& title) {
    window()->setWindowTitle(title);
}

void ViewController::restoreSplitter() {
    const QByteArray state = QSettings().value(splitterKey).toByteArray();
    if (!state.isEmpty())
        m_ui->splitter->restoreState(state);
}

void ViewController::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPaths::localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ViewController::dropEvent(QDropEvent* event) {
    QStringList files = DroppedPaths::localPaths(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    inspectPath(files.takeFirst());
    for (const QString& path : std::as_const(files))
        Q_EMIT openDocumentRequested(path);
}

// The watch follows the path: a file replaced by another program's save is watched again.
void ViewController::watchSourceFile() {
    if (m_watcher->files().contains(m_theSourcePath) ||
        m_watcher->directories().contains(m_theSourcePath))
        return;
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    if (QFileInfo::exists(m_theSourcePath))
        m_watcher->addPath(m_theSourcePath);
}

void ViewController::inspectPath(const QString& localPath) {
    m_theSourcePath = localPath;
    // Names and paths are bytes: shown as names are, each byte that is not UTF-8 as \xHH.
    m_theFilename = displayName(nativePath(QFileInfo(m_theSourcePath).fileName()));
    if (m_document)
        m_document->setDisplayName(InspectorReport::defaultReportName(m_theFilename));
    setWindowTitleText(m_theFilename);
    m_theSourceURL = QUrl::fromLocalFile(localPath);
    if (m_reslist) {
        m_reslist.reset();
        m_table->setRows({});
        showContentText(QString());
    }
    // The history belongs to the file it changed; it is not carried over to another one.
    m_undoStack->clear();
    Q_EMIT statusNote(QString());
    const QList<Error> failures = loadList();
    showReloadStatus({});
    watchSourceFile();
    // Shown as reports show paths; the saved report's first line is this text.
    m_ui->filenameTextbox->setText(displayName(nativePath(m_theSourcePath)));
    m_ui->addQuarButton->setEnabled(true);
    m_ui->pasteXattrButton->setEnabled(true);
    m_ui->newXattrButton->setEnabled(true);
    // A model reset tells the selection nothing: the name box and the row commands would stay
    // with the last file's row.
    showSelectedAttribute();
    showFailures(failures);
}

QList<Error> ViewController::loadList(bool refreshSummary) {
    m_reslist = std::make_unique<ResourceList>(ResourceList::ofPath(m_theSourcePath));
    if (refreshSummary)
        refreshSizeSummary();
    m_table->setRows(m_reslist->rows());
    return m_reslist->failures();
}

void ViewController::reloadAttributes() {
    reloadSelecting(systemNames(selectedNames()));
}

void ViewController::reloadAutomatically() {
    reloadSelecting(systemNames(selectedNames()), true);
}

void ViewController::showReloadStatus(const QList<Error>& failures) {
    QLabel* status = m_ui->reloadStatusLabel;
    if (failures.isEmpty()) {
        status->clear();
        status->setToolTip(tr("What the last automatic reload could not read"));
        status->hide();
        return;
    }
    // One line, whatever the count: the whole list is in the tooltip.
    const QString first = failures.constFirst().text().section(u'\n', 0, 0);
    status->setText(
        failures.size() == 1
            ? tr("Reload: %1").arg(first)
            : tr("Reload: %1 (and %n more)", nullptr, int(failures.size() - 1)).arg(first));
    status->setToolTip(PlainText::toolTip(Error::listText(failures)));
    status->show();
}

// The controls are set from the new list in every case: a reload never leaves a name, a
// button title or an enabled command that belongs to the old one.
void ViewController::reloadSelecting(const QList<QByteArray>& names, bool automatic) {
    m_reslist.reset();
    m_table->setRows({});
    showContentText(QString());
    QList<Error> failures;
    if (m_theSourceURL) {
        failures = loadList();
        watchSourceFile();
    }
    // The selection is back before anything is shown about the failures.
    selectNames(names);
    showSelectedAttribute();
    if (automatic) {
        showReloadStatus(failures);
        return;
    }
    showReloadStatus({});
    showFailures(failures);
}

void ViewController::selectNames(const QList<QByteArray>& names) {
    QItemSelection selection;
    QModelIndex current;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (!names.contains(systemAttributeName(m_table->nameAt(row))))
            continue;
        const QModelIndex index = m_sorted->mapFromSource(m_table->index(row, 0));
        selection.select(index, index);
        if (!current.isValid())
            current = index;
    }
    QItemSelectionModel* model = m_ui->xattrTable->selectionModel();
    model->clearSelection();
    if (!current.isValid())
        return;
    model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
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
        return m_sorted->mapToSource(current).row();
    const QList<int> rows = selectedRowIndexes();
    return rows.isEmpty() ? -1 : rows.constFirst();
}

void ViewController::showSelectedAttribute() {
    const int row = selectedRow();
    if (row >= 0) {
        const ResourceItemPtr record = m_table->recordAt(row);
        const std::optional<Error> unreadable = m_table->unreadableAt(row);
        if (!record && !unreadable)
            return;
        m_ui->xattrTextbox->setText(displayName(m_table->nameAt(row)));
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

void ViewController::enableFlagCommands() {
    const bool selected = hasSelectedAttributes();
    m_ui->addFlagButton->setEnabled(selected && !m_ui->flagTextbox->text().isEmpty());
    m_ui->stripFlagButton->setEnabled(selected);
}

bool ViewController::hasSelectedAttributes() const {
    return m_theSourceURL && m_ui->xattrTable->selectionModel()->hasSelection();
}

bool ViewController::tableHasFocus() const {
    return m_ui->xattrTable->hasFocus();
}

bool ViewController::hasRows() const {
    return m_table->rowCount() > 0;
}

bool ViewController::canEditSelected() const {
    return hasFile() && m_table->recordAt(selectedRow()) != nullptr;
}

void ViewController::editRow(const QModelIndex& index) {
    QItemSelectionModel* selection = m_ui->xattrTable->selectionModel();
    if (!selection->isRowSelected(index.row()))
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (canEditSelected())
        openEditor();
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
    m_platform.openPanel.begin(window(), options, [this](const QStringList& paths) {
        if (!paths.isEmpty())
            inspectPath(paths.constFirst());
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

void ViewController::exportAttributes() {
    if (!m_theSourceURL)
        return;
    SavePanel::Options options;
    options.nameFieldStringValue = m_theFilename + QStringLiteral(".dump");
    options.allowedFileTypes = {QStringLiteral("dump"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    const QString inspected = m_theSourcePath;
    ErrorAlert& alert = m_platform.alert;
    // A free-standing panel: what it needs is copied, so it may outlive this window.
    m_platform.savePanel.begin(nullptr, options,
                               [&alert, inspected](const std::optional<QUrl>& url) {
                                   if (!url)
                                       return;
                                   const QList<Error> failures =
                                       AttributeTransfer::exportDump(inspected, url->toLocalFile());
                                   if (!failures.isEmpty())
                                       alert.showErrorAlert(Error::listText(failures));
                               });
}

void ViewController::importAttributes() {
    if (!m_theSourceURL)
        return;
    OpenPanel::Options options;
    options.showsHiddenFiles = true;
    m_platform.openPanel.begin(window(), options, [this](const QStringList& paths) {
        if (paths.isEmpty() || !m_theSourceURL)
            return;
        const AttributeTransfer::Import dump = AttributeTransfer::readDump(paths.constFirst());
        // The lines that could not be read and the names that could not be written: one alert.
        runRecorded(tr("Import"), dump.values.keys(), [this, &dump] {
            return dump.problems + AttributeTransfer::apply(m_theSourcePath, dump.values);
        });
        reloadSelecting(dump.values.keys());
    });
}

void ViewController::openEditor() {
    const int row = selectedRow();
    const ResourceItemPtr record = row >= 0 && m_reslist ? m_table->recordAt(row) : nullptr;
    if (!hasFile() || (row >= 0 && !record))
        return;
    auto* editor = new EditViewController(
        m_platform.alert, m_platform.confirmation, m_theSourcePath,
        [this](const ResourceItem& edited, const ResourceItem* original) {
            return commitEditedAttribute(edited, original);
        },
        this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setRepresentedObject(record);
    editor->viewDidLoad();
    m_editor = editor;
    // A sheet: modal to this window only, so other documents stay usable.
    editor->setWindowModality(Qt::WindowModal);
    // Back to the table when the sheet closes, so that the keyboard (Undo, Delete) reaches the
    // window again even where no window manager hands the focus back.
    connect(editor, &QDialog::finished, this, [this] {
        window()->activateWindow();
        m_ui->xattrTable->setFocus();
    });
    editor->open();
}

EditViewController* ViewController::editor() const {
    return m_editor;
}

bool ViewController::commitEditedAttribute(const ResourceItem& edited,
                                           const ResourceItem* original) {
    if (!m_theSourceURL)
        return false;
    const QString path = m_theSourcePath;
    // An unchanged name is written under the original's own bytes.
    const bool sameName = original && original->name() == edited.name();
    const QList<QByteArray> names =
        systemNames({sameName ? original->rawName() : edited.rawName()});
    const AttributeChange::Values before = AttributeChange::capture(path, names);
    const QList<Error> failures = AttributeCommands::saveEditedRecord(path, original, edited);
    if (!failures.isEmpty()) {
        showFailures(failures);
        return false;
    }
    pushChange(AttributeChange(tr("Save"), path, before, AttributeChange::capture(path, names)));
    reloadSelecting(names);
    return true;
}

void ViewController::showFailures(const QList<Error>& failures) {
    if (!failures.isEmpty())
        m_platform.alert.showErrorAlert(Error::listText(failures));
}

void ViewController::runRecorded(const QString& title, const QList<QByteArray>& names,
                                 const std::function<QList<Error>()>& command) {
    const QString path = m_theSourcePath;
    const AttributeChange::Values before = AttributeChange::capture(path, names);
    const QList<Error> failures = command();
    pushChange(AttributeChange(title, path, before, AttributeChange::capture(path, names)));
    showFailures(failures);
}

void ViewController::pushChange(AttributeChange change) {
    if (!change.isEmpty())
        m_undoStack->push(new AttributeUndoCommand(std::move(change)));
}

// The stack moves only when the file took the step; a refused step puts it back without
// running the command again.
void ViewController::undo() {
    if (!m_undoStack->canUndo())
        return;
    auto* command = static_cast<AttributeUndoCommand*>(
        const_cast<QUndoCommand*>(m_undoStack->command(m_undoStack->index() - 1)));
    m_undoStack->undo();
    if (!command->failure().isEmpty()) {
        const QString failure = command->failure();
        command->skipNext();
        m_undoStack->redo();
        m_platform.alert.showErrorAlert(failure);
    }
    reloadAttributes();
}

void ViewController::redo() {
    if (!m_undoStack->canRedo())
        return;
    auto* command = static_cast<AttributeUndoCommand*>(
        const_cast<QUndoCommand*>(m_undoStack->command(m_undoStack->index())));
    m_undoStack->redo();
    if (!command->failure().isEmpty()) {
        const QString failure = command->failure();
        command->skipNext();
        m_undoStack->undo();
        m_platform.alert.showErrorAlert(failure);
    }
    reloadAttributes();
}

void ViewController::followUndoStack(QAction* undo, QAction* redo) {
    undo->setEnabled(m_undoStack->canUndo());
    redo->setEnabled(m_undoStack->canRedo());
    connect(m_undoStack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::undoTextChanged, undo, [undo](const QString& step) {
        undo->setText(step.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(step));
    });
    connect(m_undoStack, &QUndoStack::redoTextChanged, redo, [redo](const QString& step) {
        redo->setText(step.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(step));
    });
}

void ViewController::selectAll() {
    m_ui->xattrTable->selectAll();
}

QList<int> ViewController::selectedRowIndexes() const {
    QList<int> rows;
    for (const QModelIndex& index : m_ui->xattrTable->selectionModel()->selectedRows())
        rows.append(m_sorted->mapToSource(index).row());
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
    // Values that could not be read cannot be copied; the pasteboard keeps what it had then.
    if (!archives.isEmpty())
        pasteboard.writeRecords(archives);
}

void ViewController::cutSelectedAttributes() {
    copySelectedAttributes(m_platform.pasteboard);
    const QList<int> rows = selectedRowIndexes();
    if (!m_theSourceURL || rows.isEmpty())
        return;
    // The list loaded before the command names the rows the user chose, however removals go.
    runRecorded(tr("Remove"), systemNames(selectedNames()), [this, &rows] {
        QList<Error> failures;
        for (int row : rows) {
            // By name: a value that could not be read can still be removed.
            const QByteArray name = m_reslist ? m_table->nameAt(row) : QByteArray();
            if (name.isEmpty()) {
                failures.append(Error({}, QStringLiteral("xattr not found"), m_theSourcePath));
                continue;
            }
            failures += AttributeCommands::removeRecords(
                m_theSourcePath, {std::make_shared<ResourceItem>(name, QByteArray())});
        }
        return failures;
    });
    reloadAttributes();
}

bool ViewController::pasteAttributes(Pasteboard& pasteboard) {
    if (!m_theSourceURL)
        return false;
    const QList<std::optional<QByteArray>> items = pasteboard.items();
    if (items.isEmpty())
        return false;
    QList<QByteArray> archives;
    QList<QByteArray> names;
    for (const std::optional<QByteArray>& item : items) {
        if (!item || !m_reslist)
            continue;
        archives.append(*item);
        if (const ResourceItemPtr record = ResourceItem::fromArchive(*item))
            names.append(record->rawName());
    }
    runRecorded(tr("Paste"), systemNames(names), [this, &archives] {
        return AttributeCommands::pasteArchives(m_theSourcePath, archives);
    });
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
    const QList<QByteArray> names = {systemAttributeName(Quarantine::attributeName())};
    const AttributeChange::Values before = AttributeChange::capture(m_theSourcePath, names);
    const QList<Error> failures = AttributeCommands::writeRecord(
        m_theSourcePath, ResourceItem(Quarantine::attributeName(), stamp.value));
    if (!failures.isEmpty()) {
        showFailures(failures);
        return;
    }
    // Only the attribute can be taken back: the event row belongs to the system's database.
    pushChange(AttributeChange(tr("Quarantine"), m_theSourcePath, before,
                               AttributeChange::capture(m_theSourcePath, names)));
    // The list shows the new value before the database is asked; the summary comes last.
    const QList<QByteArray> selected = systemNames(selectedNames());
    m_reslist.reset();
    m_table->setRows({});
    showContentText(QString());
    const QList<Error> readFailures = loadList(false);
    selectNames(selected);
    showSelectedAttribute();
    showFailures(readFailures);
    const Quarantine::EventOutcome event = m_quarantine.recordEvent(stamp, m_theSourcePath);
    if (event.kind == Quarantine::EventOutcome::Failed)
        m_platform.alert.showErrorAlert(event.text);
    // Without an event database (every system but macOS) the stamp is all there is: no failure.
    Q_EMIT statusNote(event.kind == Quarantine::EventOutcome::NoDatabase ? event.text : QString());
    refreshSizeSummary();
}

QList<QByteArray> ViewController::selectedNames() const {
    QList<QByteArray> names;
    if (!m_theSourceURL)
        return names;
    for (int row : selectedRowIndexes()) {
        const QByteArray name = m_table->nameAt(row);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

void ViewController::addNameFlags() {
    if (m_ui->flagTextbox->text().isEmpty() || selectedRowIndexes().isEmpty())
        return;
    // The flag becomes part of the names, so it is typed as names are shown.
    const TypedName typed = typedName(m_ui->flagTextbox->text());
    if (!typed.name) {
        m_platform.alert.showErrorAlert(typed.problem);
        return;
    }
    const QByteArray& flag = *typed.name;
    const QList<QByteArray> names = selectedNames();
    QList<QByteArray> touched = names;
    QList<std::pair<QByteArray, QByteArray>> renames;
    for (const QByteArray& name : names) {
        renames.append({name, name + '#' + flag});
        touched.append(renames.constLast().second);
    }
    runRecorded(tr("Add flag"), systemNames(touched),
                [&] { return NameFlags::addNameFlags(m_theSourcePath, names, flag); });
    reloadAttributes();
    selectRenamed(renames);
}

void ViewController::stripNameFlags() {
    if (selectedRowIndexes().isEmpty())
        return;
    const QList<QByteArray> names = selectedNames();
    QList<QByteArray> touched = names;
    QList<std::pair<QByteArray, QByteArray>> renames;
    for (const QByteArray& name : names) {
        const std::optional<QByteArray> base = NameFlags::baseName(name);
        renames.append({name, base.value_or(name)});
        if (base)
            touched.append(*base);
    }
    runRecorded(tr("Strip flags"), systemNames(touched),
                [&] { return NameFlags::stripNameFlags(m_theSourcePath, names); });
    reloadAttributes();
    selectRenamed(renames);
}

// A rename that did not happen leaves the old name, which stays selected; a name that was in the
// way is never selected in its place.
void ViewController::selectRenamed(const QList<std::pair<QByteArray, QByteArray>>& renames) {
    QList<QByteArray> listed;
    for (int row = 0; row < m_table->rowCount(); ++row)
        listed.append(systemAttributeName(m_table->nameAt(row)));
    QList<QByteArray> chosen;
    for (const auto& [from, to] : renames)
        chosen.append(systemAttributeName(listed.contains(systemAttributeName(from)) ? from : to));
    selectNames(chosen);
    showSelectedAttribute();
}

} // namespace palvorn
