#pragma once

#include "core/inspector/AttributeChange.h"
#include "core/model/Error.h"

#include <functional>

#include <QList>
#include <QObject>

class QAction;
class QUndoStack;

namespace palvorn {

// Undo and redo of the commands that changed the inspected file's attributes. A step that would
// overwrite a change made since is refused, and stays the next step.
class AttributeHistory : public QObject {
    Q_OBJECT

public:
    explicit AttributeHistory(QObject* parent = nullptr);

    const QUndoStack& stack() const { return *m_stack; }
    bool canUndo() const;
    bool canRedo() const;
    // The history belongs to the file it changed; it is not carried over to another one.
    void clear();

    // Runs a command that touches the given names (in their system form) of the file at path,
    // and keeps what it changed; the command's failures are returned, to be shown.
    QList<Error> record(const QString& title, const QString& path, const QList<QByteArray>& names,
                        const std::function<QList<Error>()>& command);
    // Keeps a change made already; an empty one is no step.
    void push(AttributeChange change);

    // Each returns empty when the step was taken, or why the file refused it.
    QString undo();
    QString redo();

    // Menu items that show the step they would take ("Undo Remove"), greyed out without one.
    void connectActions(QAction* undo, QAction* redo);

private:
    QUndoStack* m_stack;
};

} // namespace palvorn
