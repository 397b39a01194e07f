#pragma once

#include <functional>
#include <tl/expected.hpp>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace palvorn {

// The one way the core fails: one failed operation on one file, and on one of its attributes
// where one was involved. The core returns it instead of showing anything, so that a window can
// gather several into one alert and palvorn-cli print one line each; every alert, message and
// report line is a rendering of it. The attribute access layer returns it with only the errno and
// its text; the layer above names the subject (fromError).
class Error {
public:
    // call: the system call's name ("setxattr"), or empty when reason is a text of its own.
    Error(QString call, QString reason, QString path, QByteArray name = {}, int code = 0);
    // The system's error: its errno and the system's text for it, subject still unnamed.
    static Error fromCode(int code);
    // Right after the failing system call.
    static Error fromErrno();
    // cause's errno and text, now naming its call and subject.
    static Error fromError(const QString& call, const Error& cause, const QString& path,
                           const QByteArray& name = {});
    // A line of an input that could not be used; path and name when the line named them.
    static Error ofLine(qint64 line, QString reason, QString path = {}, QByteArray name = {});
    // The system's text for an errno ("No data available").
    static QString describe(int code);

    const QString& call() const { return m_call; }
    const QString& reason() const { return m_reason; }
    const QString& path() const { return m_path; }
    const QByteArray& name() const { return m_name; }
    int code() const { return m_code; }
    // The input's line the error is about (counted from 1), or 0.
    qint64 line() const { return m_line; }

    // "setxattr error: No space left on device (attribute “user.a” of “/tmp/f”)"; without an
    // attribute "(“/tmp/f”)"; before the full stop of a reason that ends with one. Names are
    // shown as displayName shows them. An error that names no item (its text names its own) is
    // its text alone.
    QString text() const;
    // One line per failure, in order: the informative text of one alert for all of them.
    static QString listText(const QList<Error>& failures);

    // Whether the item itself could not be reached or changed (it is missing, a folder on its
    // way is not one or may not be searched, it may not be written), whichever attribute the
    // call was about: every other attribute of the item fails the same way.
    bool concernsItem() const;
    // "/tmp/f: user.a: setxattr error: No space left on device", as command-line tools write an
    // error after their own name; the attribute is left out when the failure concerns the item.
    // An error that names no item is its reason alone.
    QString lineText() const;
    // The line of each failure, in order, a failure of an item once however many of its
    // attributes it failed.
    static QStringList lineTexts(const QList<Error>& failures);

private:
    QString m_call;
    QString m_reason;
    QString m_path;
    QByteArray m_name;
    int m_code;
    qint64 m_line = 0;
};

// Where a job that goes on past a failing item reports each failure as it happens.
using ProblemSink = std::function<void(const Error& problem)>;

// What a core function that can fail returns: its value, or the one error.
template <typename T = void> using Result = tl::expected<T, Error>;

inline tl::unexpected<Error> failure(Error error) {
    return tl::unexpected<Error>(std::move(error));
}

} // namespace palvorn
