#include "gui/inspector/AttributeUndoCommand.h"

#include <utility>

namespace palvorn {

AttributeUndoCommand::AttributeUndoCommand(AttributeChange change)
    : QUndoCommand(change.title()), m_change(std::move(change)) {}

void AttributeUndoCommand::undo() {
    m_failure.clear();
    if (std::exchange(m_skipNext, false))
        return;
    m_failure = m_change.undo();
}

void AttributeUndoCommand::redo() {
    m_failure.clear();
    if (std::exchange(m_skipNext, false))
        return;
    m_failure = m_change.redo();
}

} // namespace palvorn
