#pragma once

#include "core/model/PosixError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace palvorn {

// One failed operation on one file, and on one of its attributes where one was involved: what the
// core returns instead of showing anything, so that a window can gather several into one alert
// and palvorn-cli print one line each.
class AttributeFailure {
public:
    // call: the system call's name ("setxattr"), or empty when reason is a text of its own.
    AttributeFailure(QString call, QString reason, QString path, QByteArray name = {},
                     int code = 0);
    static AttributeFailure fromError(const QString& call, const PosixError& error,
                                      const QString& path, const QByteArray& name = {});

    const QString& call() const { return m_call; }
    const QString& reason() const { return m_reason; }
    const QString& path() const { return m_path; }
    const QByteArray& name() const { return m_name; }
    int code() const { return m_code; }

    // "setxattr error: No space left on device (attribute “user.a” of “/tmp/f”)"; without an
    // attribute "(“/tmp/f”)"; before the full stop of a reason that ends with one. Names are
    // shown as displayName shows them.
    QString text() const;
    // One line per failure, in order: the informative text of one alert for all of them.
    static QString listText(const QList<AttributeFailure>& failures);

    // Whether the item itself could not be reached or changed (it is missing, a folder on its
    // way is not one or may not be searched, it may not be written), whichever attribute the
    // call was about: every other attribute of the item fails the same way.
    bool concernsItem() const;
    // "/tmp/f: user.a: setxattr error: No space left on device", as command-line tools write an
    // error after their own name; the attribute is left out when the failure concerns the item.
    QString lineText() const;
    // The line of each failure, in order, a failure of an item once however many of its
    // attributes it failed.
    static QStringList lineTexts(const QList<AttributeFailure>& failures);

private:
    QString m_call;
    QString m_reason;
    QString m_path;
    QByteArray m_name;
    int m_code;
};

} // namespace palvorn
