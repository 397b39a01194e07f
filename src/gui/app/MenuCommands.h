#pragma once

#include <functional>

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QWidget;

namespace palvorn {

class InspectorView;

// The commands of a window's File and Edit menus that act on what the window shows. The focused
// text field takes those it can carry out (an editable one all of them, a read-only one only a
// Copy of its selected text); every other one goes to the window's inspector, so that no command
// ever changes a read-only field. Each item is offered only where it can act.
class MenuCommands : public QObject {
    Q_OBJECT

public:
    enum class Command { Cut, Copy, Paste, Delete, SelectAll };

    // inspector: the window's inspector, none in a tool window. saveReport: the window's Save
    // Report…, none where it has no report.
    MenuCommands(QMainWindow& window, InspectorView* inspector, std::function<void()> saveReport);

    // Save Report… (Ctrl+S), and the inspector's Export and Import.
    void addFileItems(QMenu& file);
    // Undo and Redo, Cut, Copy, Paste, Delete and Select All, and the inspector's Edit Attribute….
    void addEditItems(QMenu& edit);

    void run(Command command);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's text field with the keyboard focus, if one has.
    QWidget* focusedText() const;
    // Whether the focused text field takes the command itself.
    bool textTakes(Command command) const;
    void runOnInspector(Command command);
    void updateItems();

    QMainWindow& m_window;
    InspectorView* m_inspector;
    std::function<void()> m_saveReport;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_selectAll = nullptr;
    QAction* m_editAttribute = nullptr;
    QAction* m_export = nullptr;
    QAction* m_import = nullptr;
};

} // namespace palvorn
