#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace palvorn {

// What one command did to a file's attributes, so that it can be taken back and done again: for
// every name it touched, the value before and after (absent where the name did not exist).
// Undo writes the old values back only while the file still holds exactly what the command left;
// anything else is a change made since, and overwriting it would lose it, so undo refuses.
class AttributeChange {
public:
    // Values by full system name ("user.comment"); a name the file does not hold maps to nothing.
    // A name whose value could not be read is left out, and so out of the change.
    using Values = QMap<QByteArray, std::optional<QByteArray>>;

    // Reads the named attributes as the file holds them now. Each value is at most 64 KiB (the
    // system's limit), so a snapshot is bounded by the names the command touches.
    static Values capture(const QString& path, const QList<QByteArray>& names);

    // Keeps the names that both snapshots hold and whose values differ. title names the command
    // in messages ("Remove", "Paste", ...).
    AttributeChange(QString title, QString path, const Values& before, const Values& after);

    const QString& title() const { return m_title; }
    const QString& path() const { return m_path; }
    bool isEmpty() const { return m_names.isEmpty(); }
    QList<QByteArray> names() const { return m_names; }

    // Each fails with why nothing changed: a name that differs from what the command left (or
    // found), or a write that failed, whose earlier writes are taken back (a line for each
    // write that failed).
    Result<> undo() const;
    Result<> redo() const;

private:
    Result<> apply(const Values& expected, const Values& wanted, const QString& verb) const;

    QString m_title;
    QString m_path;
    QList<QByteArray> m_names;
    Values m_before;
    Values m_after;
};

} // namespace palvorn
