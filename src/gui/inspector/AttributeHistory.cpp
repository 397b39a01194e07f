#include "gui/inspector/AttributeHistory.h"

#include "gui/inspector/AttributeUndoCommand.h"

#include <QAction>
#include <QUndoStack>

namespace palvorn {

namespace {

// Undo keeps this many commands; each holds the values its names had before and after (each
// value at most 64 KiB, the system's limit).
constexpr int undoLimit = 50;

} // namespace

AttributeHistory::AttributeHistory(QObject* parent)
    : QObject(parent), m_stack(new QUndoStack(this)) {
    m_stack->setUndoLimit(undoLimit);
}

bool AttributeHistory::canUndo() const {
    return m_stack->canUndo();
}

bool AttributeHistory::canRedo() const {
    return m_stack->canRedo();
}

void AttributeHistory::clear() {
    m_stack->clear();
}

QList<Error> AttributeHistory::record(const QString& title, const QString& path,
                                      const QList<QByteArray>& names,
                                      const std::function<QList<Error>()>& command) {
    const AttributeChange::Values before = AttributeChange::capture(path, names);
    const QList<Error> failures = command();
    push(AttributeChange(title, path, before, AttributeChange::capture(path, names)));
    return failures;
}

void AttributeHistory::push(AttributeChange change) {
    if (!change.isEmpty())
        m_stack->push(new AttributeUndoCommand(std::move(change)));
}

// The stack moves with every step; a refused one is moved back, and its command, whose change is
// still where it was, has nothing to do on the way.
QString AttributeHistory::undo() {
    if (!m_stack->canUndo())
        return {};
    const auto* step =
        static_cast<const AttributeUndoCommand*>(m_stack->command(m_stack->index() - 1));
    m_stack->undo();
    if (!step->isApplied())
        return {};
    const QString failure = step->failure();
    m_stack->redo();
    return failure;
}

QString AttributeHistory::redo() {
    if (!m_stack->canRedo())
        return {};
    const auto* step = static_cast<const AttributeUndoCommand*>(m_stack->command(m_stack->index()));
    m_stack->redo();
    if (step->isApplied())
        return {};
    const QString failure = step->failure();
    m_stack->undo();
    return failure;
}

void AttributeHistory::connectActions(QAction* undo, QAction* redo) {
    undo->setEnabled(m_stack->canUndo());
    redo->setEnabled(m_stack->canRedo());
    connect(m_stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(m_stack, &QUndoStack::undoTextChanged, undo, [undo](const QString& step) {
        undo->setText(step.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(step));
    });
    connect(m_stack, &QUndoStack::redoTextChanged, redo, [redo](const QString& step) {
        redo->setText(step.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(step));
    });
}

} // namespace palvorn
