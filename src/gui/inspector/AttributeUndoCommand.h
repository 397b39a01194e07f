#pragma once

#include "core/inspector/AttributeChange.h"

#include <QUndoCommand>

namespace palvorn {

// One inspector command on the undo stack. It has run when it is pushed, so its change is on the
// file and the stack's first redo has nothing to do. Each step is taken only where the file
// allows it: a refused step (a change made since, a failed write) leaves the change where it was,
// so that isApplied() tells which side of the change the file is on, and failure() why.
class AttributeUndoCommand : public QUndoCommand {
public:
    explicit AttributeUndoCommand(AttributeChange change);

    void undo() override;
    void redo() override;

    bool isApplied() const { return m_applied; }
    // Why the last step was refused; empty when it was taken or had nothing to do.
    const QString& failure() const { return m_failure; }

private:
    AttributeChange m_change;
    QString m_failure;
    bool m_applied = true;
};

} // namespace palvorn
