#pragma once

#include "inspector/Quarantine.h"
#include "model/ResourceItem.h"
#include "platform/Platform.h"

#include <memory>
#include <optional>

#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace Ui {
class ViewController;
}

namespace palvorn {

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

    void inspectFile(const QUrl& url);
    void reloadAttributes();
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

    // The New/Edit button: presents the editor with the selected record, or none for a new one.
    void openEditor();
    EditViewController* editor() const;
    // Writes the record the editor left in editRes, then reloads.
    void commitEditedAttribute();
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

    // Selected rows in ascending order.
    QList<int> selectedRowIndexes() const;

    // The row whose content is shown: the current row when it is selected, else the first
    // selected row; -1 without a selection.
    int selectedRow() const;

    const QString& theFilename() const { return m_theFilename; }
    const QString& theSourcePath() const { return m_theSourcePath; }
    const std::optional<QUrl>& theSourceURL() const { return m_theSourceURL; }
    const ResourceList* reslist() const { return m_reslist.get(); }
    QList<ResourceItemPtr>& editRes() { return m_editRes; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void viewDidLoad();
    void viewDidAppear();
    void loadList(bool refreshSummary = true);
    QList<QByteArray> selectedNames() const;
    void setWindowTitleText(const QString& title);

    std::unique_ptr<Ui::ViewController> m_ui;
    Platform m_platform;
    AttributeTableModel* m_table;
    Document* m_document = nullptr;

    QString m_theFilename;
    QString m_theSourcePath;
    std::optional<QUrl> m_theSourceURL;
    std::unique_ptr<ResourceList> m_reslist;
    QList<ResourceItemPtr> m_editRes;
    QPointer<EditViewController> m_editor;
    Quarantine m_quarantine;
};

} // namespace palvorn
