#pragma once

#include "core/inspector/AttributeChange.h"

#include <QUndoCommand>

namespace palvorn {

// One inspector command on the undo stack. The command has already run when it is pushed, so
// the stack's first redo does nothing. A step the file refuses (a change made since, a failed
// write) leaves the file alone and is kept in failure(); the inspector then puts the stack back
// without running the command, through skipNext().
class AttributeUndoCommand : public QUndoCommand {
public:
    explicit AttributeUndoCommand(AttributeChange change);

    void undo() override;
    void redo() override;

    const QString& failure() const { return m_failure; }
    void skipNext() { m_skipNext = true; }

private:
    AttributeChange m_change;
    QString m_failure;
    bool m_skipNext = true;
};

} // namespace palvorn
