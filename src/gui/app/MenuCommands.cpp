#include "gui/app/MenuCommands.h"

#include "gui/inspector/InspectorView.h"

#include <optional>
#include <type_traits>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>

namespace palvorn {

namespace {

using Command = MenuCommands::Command;

bool isReadOnly(const QWidget& text) {
    if (const auto* line = qobject_cast<const QLineEdit*>(&text))
        return line->isReadOnly();
    return static_cast<const QPlainTextEdit&>(text).isReadOnly();
}

bool hasSelectedText(const QWidget& text) {
    if (const auto* line = qobject_cast<const QLineEdit*>(&text))
        return line->hasSelectedText();
    return static_cast<const QPlainTextEdit&>(text).textCursor().hasSelection();
}

template <typename TextWidget> void applyToText(TextWidget& widget, Command command) {
    switch (command) {
    case Command::Cut:
        return widget.cut();
    case Command::Copy:
        return widget.copy();
    case Command::Paste:
        return widget.paste();
    case Command::SelectAll:
        return widget.selectAll();
    case Command::Delete:
        if constexpr (std::is_same_v<TextWidget, QLineEdit>)
            return widget.del();
        else
            return widget.textCursor().deleteChar();
    }
}

std::optional<Command> commandOfKey(const QKeyEvent& key) {
    const std::pair<QKeySequence::StandardKey, Command> keys[] = {
        {QKeySequence::Cut, Command::Cut},
        {QKeySequence::Copy, Command::Copy},
        {QKeySequence::Paste, Command::Paste},
        {QKeySequence::SelectAll, Command::SelectAll},
    };
    for (const auto& [standard, command] : keys) {
        if (key.matches(standard))
            return command;
    }
    return std::nullopt;
}

} // namespace

MenuCommands::MenuCommands(QMainWindow& window, InspectorView* inspector,
                           std::function<void()> saveReport)
    : QObject(&window), m_window(window), m_inspector(inspector),
      m_saveReport(std::move(saveReport)) {
    // A read-only line edit claims Ctrl+A and Ctrl+C for itself; the window's items take them
    // where it cannot carry them out.
    for (QLineEdit* line : window.findChildren<QLineEdit*>()) {
        line->installEventFilter(this);
        connect(line, &QLineEdit::selectionChanged, this, &MenuCommands::updateItems);
    }
    for (QPlainTextEdit* text : window.findChildren<QPlainTextEdit*>())
        connect(text, &QPlainTextEdit::selectionChanged, this, &MenuCommands::updateItems);
    connect(qApp, &QApplication::focusChanged, this, &MenuCommands::updateItems);
    if (!m_inspector)
        return;
    connect(m_inspector, &InspectorView::selectionStateChanged, this, &MenuCommands::updateItems);
    // The items stay with the window a moment longer than its inspector.
    connect(m_inspector, &InspectorView::aboutToBeDestroyed, this, [this] {
        m_inspector = nullptr;
        disconnect(qApp, nullptr, this, nullptr);
    });
}

void MenuCommands::addFileItems(QMenu& file) {
    if (m_saveReport)
        file.addAction(tr("&Save Report…"), QKeySequence::Save, this, m_saveReport);
    if (!m_inspector)
        return;
    m_export =
        file.addAction(tr("&Export Attributes…"), m_inspector, &InspectorView::exportAttributes);
    m_import =
        file.addAction(tr("&Import Attributes…"), m_inspector, &InspectorView::importAttributes);
    updateItems();
}

void MenuCommands::addEditItems(QMenu& edit) {
    if (m_inspector) {
        QAction* undo =
            edit.addAction(tr("&Undo"), QKeySequence::Undo, m_inspector, &InspectorView::undo);
        QAction* redo =
            edit.addAction(tr("&Redo"), QKeySequence::Redo, m_inspector, &InspectorView::redo);
        m_inspector->connectUndoActions(undo, redo);
        edit.addSeparator();
    }
    m_cut = edit.addAction(tr("Cu&t"), QKeySequence::Cut, this, [this] { run(Command::Cut); });
    m_copy = edit.addAction(tr("&Copy"), QKeySequence::Copy, this, [this] { run(Command::Copy); });
    m_paste =
        edit.addAction(tr("&Paste"), QKeySequence::Paste, this, [this] { run(Command::Paste); });
    if (m_inspector) {
        m_delete = edit.addAction(tr("&Delete"), QKeySequence::Delete, this,
                                  [this] { run(Command::Delete); });
        m_selectAll = edit.addAction(tr("Select &All"), QKeySequence::SelectAll, this,
                                     [this] { run(Command::SelectAll); });
        edit.addSeparator();
        m_editAttribute =
            edit.addAction(tr("&Edit Attribute…"), m_inspector, &InspectorView::openEditor);
        // F2 edits the selected item in file managers too.
        m_editAttribute->setShortcuts({QKeySequence(tr("Ctrl+E")), QKeySequence(Qt::Key_F2)});
    }
    updateItems();
}

QWidget* MenuCommands::focusedText() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !m_window.isAncestorOf(focus))
        return nullptr;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return focus;
    return nullptr;
}

bool MenuCommands::textTakes(Command command) const {
    const QWidget* text = focusedText();
    if (!text)
        return false;
    if (!isReadOnly(*text))
        return true;
    // Delete is a text field's own key: a read-only one keeps it, doing nothing.
    return command == Command::Delete || (command == Command::Copy && hasSelectedText(*text));
}

void MenuCommands::run(Command command) {
    if (!textTakes(command))
        return runOnInspector(command);
    QWidget* text = focusedText();
    if (auto* line = qobject_cast<QLineEdit*>(text)) {
        if (!line->isReadOnly() || command == Command::Copy)
            applyToText(*line, command);
        return;
    }
    auto* plain = static_cast<QPlainTextEdit*>(text);
    if (!plain->isReadOnly() || command == Command::Copy)
        applyToText(*plain, command);
}

// Delete removes attributes only while the table has the focus: anywhere else it is the focused
// control's own key.
void MenuCommands::runOnInspector(Command command) {
    if (!m_inspector)
        return;
    switch (command) {
    case Command::Cut:
        return m_inspector->cutAttributes();
    case Command::Copy:
        return m_inspector->copyAttributes();
    case Command::Paste:
        m_inspector->pasteAttributes();
        return;
    case Command::SelectAll:
        return m_inspector->selectAll();
    case Command::Delete:
        if (m_inspector->tableHasFocus())
            m_inspector->removeSelectedAttributes();
        return;
    }
}

bool MenuCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* line = qobject_cast<QLineEdit*>(watched);
        const std::optional<Command> command = commandOfKey(*static_cast<QKeyEvent*>(event));
        if (line && line->isReadOnly() && command && !textTakes(*command)) {
            event->ignore(); // not the field's: the menu item's shortcut runs
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MenuCommands::updateItems() {
    const bool selected = m_inspector && m_inspector->hasSelectedAttributes();
    const bool file = m_inspector && m_inspector->hasFile();
    const auto enable = [](QAction* item, bool enabled) {
        if (item)
            item->setEnabled(enabled);
    };
    enable(m_cut, textTakes(Command::Cut) || selected);
    enable(m_copy, textTakes(Command::Copy) || selected);
    enable(m_paste, textTakes(Command::Paste) || file);
    enable(m_delete, (focusedText() && !isReadOnly(*focusedText())) ||
                         (selected && m_inspector->tableHasFocus()));
    enable(m_selectAll, textTakes(Command::SelectAll) || (m_inspector && m_inspector->hasRows()));
    enable(m_editAttribute, m_inspector && m_inspector->canEditSelected());
    enable(m_export, file);
    enable(m_import, file);
}

} // namespace palvorn
