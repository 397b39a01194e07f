#pragma once

#include "core/inspector/Quarantine.h"
#include "core/model/Error.h"
#include "core/model/ResourceItem.h"
#include "core/platform/Platform.h"

#include <functional>
#include <memory>
#include <optional>

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QAction;
class QFileSystemWatcher;
class QSortFilterProxyModel;
class QTimer;
class QUndoStack;

namespace Ui {
class ViewController;
}

namespace palvorn {

class AttributeChange;
class AttributeTableModel;
class Document;
class EditViewController;
class Pasteboard;
class ResourceList;

// The inspector: shows one file's path, size summary, attribute table and the selected
// attribute's content. It owns the file's attribute list and is the only place that reloads it.
class ViewController : public QWidget {
    Q_OBJECT

public:
    explicit ViewController(Platform platform, QWidget* parent = nullptr);
    ~ViewController() override;

    Ui::ViewController& ui() const { return *m_ui; }

    void setDocument(Document* document) { m_document = document; }
    Document* document() const { return m_document; }

    void inspectFile(const QUrl& url) { inspectPath(url.toLocalFile()); }
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
    EditViewController* editor() const;
    // Writes the record the editor hands back, then reloads; false when nothing was written.
    // original is the record the editor opened (none for a new attribute): under a changed name
    // the save only creates, never replacing an attribute in the way.
    bool commitEditedAttribute(const ResourceItem& edited, const ResourceItem* original = nullptr);
    void copySelectedAttributes(Pasteboard& pasteboard);
    // Remove and cut: copies the selection first, so the records can be pasted back.
    void cutSelectedAttributes();
    // False when nothing was pasted because no file is shown or the pasteboard is empty.
    bool pasteAttributes(Pasteboard& pasteboard);
    // Edit > Cut, Copy, Paste on the system pasteboard.
    void cutWithSender() { cutSelectedAttributes(); }
    void copyWithSender();
    void pasteWithSender();

    // Stamps the file with a quarantine attribute and its event row.
    void addQuarantine();
    Quarantine& quarantine() { return m_quarantine; }
    // Append "#" and the flag text to the selected names, or cut them at their first "#".
    void addNameFlags();
    void stripNameFlags();

    // Edit > Undo and Redo of the commands that changed this file's attributes. A step that
    // would overwrite a change made since is refused with a message.
    QUndoStack& undoStack() const { return *m_undoStack; }
    void undo();
    void redo();
    // Menu items that show the step they would take ("Undo Remove"), greyed out without one.
    void followUndoStack(QAction* undo, QAction* redo);
    // Edit > Select All and Delete (which removes, as the Remove button does).
    void selectAll();
    void removeSelectedAttributes() { cutSelectedAttributes(); }

    // True when a file is shown and at least one of its attributes is selected.
    bool hasSelectedAttributes() const;
    bool hasFile() const { return m_theSourceURL.has_value(); }
    bool hasRows() const;
    // The row whose content is shown has a value to edit.
    bool canEditSelected() const;
    bool tableHasFocus() const;

    // Selected rows of the list, in the system's order, whatever the table's sorting.
    QList<int> selectedRowIndexes() const;

    // The list's row whose content is shown: the current row when it is selected, else the first
    // selected row; -1 without a selection.
    int selectedRow() const;

    const QString& theFilename() const { return m_theFilename; }
    const QString& theSourcePath() const { return m_theSourcePath; }
    const std::optional<QUrl>& theSourceURL() const { return m_theSourceURL; }
    const ResourceList* reslist() const { return m_reslist.get(); }

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
    void viewDidLoad();
    void viewDidAppear();
    // Reads the list; its read failures are the caller's to show.
    QList<Error> loadList(bool refreshSummary = true);
    QList<QByteArray> selectedNames() const;
    void setWindowTitleText(const QString& title);
    void watchSourceFile();
    // Names in their system form ("user.comment").
    // An automatic reload puts its read failures in the status line instead of an alert.
    void reloadSelecting(const QList<QByteArray>& names, bool automatic = false);
    void showReloadStatus(const QList<Error>& failures);
    void selectNames(const QList<QByteArray>& names);
    // After a rename: each renamed name selected where the old name is gone, else the old one.
    void selectRenamed(const QList<std::pair<QByteArray, QByteArray>>& renames);
    // Enter or a double click on a row: that row alone, unless it is among the selected ones.
    void editRow(const QModelIndex& index);
    // Shows every failure of one command in one alert.
    void showFailures(const QList<Error>& failures);
    // Runs a command that touches the given names and puts what it changed on the undo stack.
    void runRecorded(const QString& title, const QList<QByteArray>& names,
                     const std::function<QList<Error>()>& command);
    void pushChange(AttributeChange change);
    void restoreSplitter();
    // Add flag and Strip flags act on a selection, Add flag only with a flag text.
    void enableFlagCommands();

    std::unique_ptr<Ui::ViewController> m_ui;
    Platform m_platform;
    AttributeTableModel* m_table;
    QSortFilterProxyModel* m_sorted;
    QUndoStack* m_undoStack;
    QFileSystemWatcher* m_watcher;
    // Coalesces bursts of change notices into one reload.
    QTimer* m_reloadTimer;
    Document* m_document = nullptr;

    QString m_theFilename;
    QString m_theSourcePath;
    std::optional<QUrl> m_theSourceURL;
    std::unique_ptr<ResourceList> m_reslist;
    QPointer<EditViewController> m_editor;
    Quarantine m_quarantine;
};

} // namespace palvorn
