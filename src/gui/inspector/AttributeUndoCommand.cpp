#include "gui/inspector/AttributeUndoCommand.h"

#include <utility>

namespace palvorn {

AttributeUndoCommand::AttributeUndoCommand(AttributeChange change)
    : QUndoCommand(change.title()), m_change(std::move(change)) {}

void AttributeUndoCommand::undo() {
    m_failure.clear();
    if (!m_applied)
        return;
    if (const Result<> done = m_change.undo(); !done)
        m_failure = done.error().text();
    m_applied = !m_failure.isEmpty();
}

void AttributeUndoCommand::redo() {
    m_failure.clear();
    if (m_applied)
        return;
    if (const Result<> done = m_change.redo(); !done)
        m_failure = done.error().text();
    m_applied = m_failure.isEmpty();
}

} // namespace palvorn
