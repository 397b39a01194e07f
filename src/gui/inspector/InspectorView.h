#pragma once

#include "core/inspector/Quarantine.h"
#include "core/model/Error.h"
#include "core/platform/Platform.h"
#include "gui/inspector/InspectorCommands.h"

#include <memory>
#include <optional>

#include <QPointer>
#include <QWidget>

class QAction;
class QUndoStack;

namespace Ui {
class InspectorView;
}

namespace palvorn {

class AttributeHistory;
class AttributeTable;
class Document;
class EditorDialog;
class InspectedFile;
class ResourceList;

// The inspector: shows one file's path, size summary, attribute table and the selected
// attribute's content. Its parts: the file and its list as read (InspectedFile), the table and
// its selection (AttributeTable), the commands that change the file (InspectorCommands) and
// their undo history (AttributeHistory). It is the only place that reloads the list, and says
// what to select then.
class InspectorView : public QWidget {
    Q_OBJECT

public:
    explicit InspectorView(Platform platform, QWidget* parent = nullptr);
    ~InspectorView() override;

    Ui::InspectorView& ui() const { return *m_ui; }

    void setDocument(Document* document) { m_document = document; }
    Document* document() const { return m_document; }

    // For a path given as bytes (see ByteText), which a URL cannot carry unchanged.
    void inspectPath(const QString& localPath);
    // Rebuilds the list from the file, keeping the selected names that still exist.
    void reloadAttributes();
    // View > Reload: read failures are shown in an alert.
    void reload() { reloadAttributes(); }
    // The file's attributes changed elsewhere: the user did not ask, so read failures are shown
    // in the window's reload status line, never in an alert.
    void reloadAutomatically();
    void refreshSizeSummary();
    void showContentText(const QString& text);
    void showSelectedAttribute();
    // The text below the report's header: the content pane with a selection, every attribute's
    // display text without one.
    QString reportText() const;
    // The whole report as saved: path field, separator, reportText().
    QString savedReportText() const;
    void chooseFileToInspect();
    void saveReport();
    // File > Export Attributes…: the file's attributes as a dump, base64 values, saved whole.
    void exportAttributes();
    // File > Import Attributes…: every attribute line of a chosen dump is written to this file,
    // whichever file its block names; one undoable step.
    void importAttributes();

    // The New/Edit button: presents the editor with a copy of the selected record, or none for
    // a new one. A row whose value could not be read has nothing to edit.
    void openEditor();
    EditorDialog* editor() const;
    // Edit > Cut, Copy, Paste and the buttons, on the system pasteboard. Cut (and Remove) copies
    // the selection first, so the records can be pasted back.
    void cutAttributes();
    void copyAttributes();
    // False when nothing was pasted because no file is shown or the pasteboard is empty.
    bool pasteAttributes();

    // Stamps the file with a quarantine attribute and its event row.
    void addQuarantine();
    Quarantine& quarantine() { return m_quarantine; }
    // Append "#" and the flag text to the selected names, or cut them at their first "#".
    void addNameFlags();
    void stripNameFlags();

    // Edit > Undo and Redo of the commands that changed this file's attributes. A step that
    // would overwrite a change made since is refused with a message.
    const QUndoStack& undoStack() const;
    void undo();
    void redo();
    // Menu items that show the step they would take ("Undo Remove"), greyed out without one.
    void connectUndoActions(QAction* undo, QAction* redo);
    // Edit > Select All and Delete (which removes, as the Remove button does).
    void selectAll();
    void removeSelectedAttributes() { cutAttributes(); }

    // True when a file is shown and at least one of its attributes is selected.
    bool hasSelectedAttributes() const;
    bool hasFile() const;
    bool hasRows() const;
    // The row whose content is shown has a value to edit.
    bool canEditSelected() const;
    bool tableHasFocus() const;

    // Selected rows of the list, in the system's order, whatever the table's sorting.
    QList<int> selectedRowIndexes() const;

    // The file's attribute list as last read; none before the first read.
    const ResourceList* attributes() const;

Q_SIGNALS:
    // Files dropped after the first one, each for a window of its own (paths as bytes).
    void openDocumentRequested(const QString& path);
    // The selection changed, or the file shown: commands that act on it may now act or not.
    void selectionStateChanged();
    // A note on the last command for the window's status line, where nothing failed but the
    // user should know ("no event was recorded"); empty when there is none.
    void statusNote(const QString& note);
    // The controller is going: its parts are still there, but not for long.
    void aboutToBeDestroyed();

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUpContentPane();
    void setUpSplitter();
    void connectControls();
    void setWindowTitleText(const QString& title);
    // Names in their system form ("user.comment").
    // An automatic reload puts its read failures in the status line instead of an alert.
    void reloadSelecting(const QList<QByteArray>& names, bool automatic = false);
    void showReloadStatus(const QList<Error>& failures);
    // Reads the list; its read failures are the caller's to show.
    QList<Error> loadList();
    // After a rename: the names renamed selected, see AttributeTable::selectRenamed().
    void reloadRenamed(const std::optional<InspectorCommands::Renames>& renames);
    // Enter or a double click on a row: that row alone, unless it is among the selected ones.
    void editRow(const QModelIndex& index);
    // After an undo or redo: why the file refused it, if it did, and the list as it is now.
    void showStepTaken(const QString& refused);
    // Shows every failure of one command in one alert.
    void showFailures(const QList<Error>& failures);
    // Add flag and Strip flags act on a selection, Add flag only with a flag text.
    void enableFlagCommands();

    std::unique_ptr<Ui::InspectorView> m_ui;
    Platform m_platform;
    InspectedFile* m_file;
    AttributeTable* m_table;
    AttributeHistory* m_history;
    std::unique_ptr<InspectorCommands> m_commands;
    Document* m_document = nullptr;
    QPointer<EditorDialog> m_editor;
    Quarantine m_quarantine;
};

} // namespace palvorn
