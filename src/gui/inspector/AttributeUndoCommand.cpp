#include "gui/inspector/AttributeUndoCommand.h"

#include <utility>

namespace palvorn {

AttributeUndoCommand::AttributeUndoCommand(AttributeChange change)
    : QUndoCommand(change.title()), m_change(std::move(change)) {}

void AttributeUndoCommand::undo() {
    m_failure.clear();
    if (std::exchange(m_skipNext, false))
        return;
    if (const Result<> done = m_change.undo(); !done)
        m_failure = done.error().text();
}

void AttributeUndoCommand::redo() {
    m_failure.clear();
    if (std::exchange(m_skipNext, false))
        return;
    if (const Result<> done = m_change.redo(); !done)
        m_failure = done.error().text();
}

} // namespace palvorn
