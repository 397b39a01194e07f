#include "core/inspector/AttributeChange.h"

#include "core/model/AttributeFailure.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <utility>

#include <QStringList>

namespace palvorn {

namespace {

bool isMissingAttribute(const PosixError& error) {
#ifdef ENOATTR
    return error.code() == ENOATTR;
#else
    return error.code() == ENODATA;
#endif
}

void write(const QByteArray& path, const QByteArray& name, const std::optional<QByteArray>& value) {
    if (value)
        setXattr(path, name, *value);
    else
        removeXattr(path, name);
}

QString callName(const std::optional<QByteArray>& value) {
    return value ? QStringLiteral("setxattr") : QStringLiteral("removexattr");
}

} // namespace

AttributeChange::Values AttributeChange::capture(const QString& path,
                                                 const QList<QByteArray>& names) {
    Values values;
    for (const QByteArray& name : names) {
        try {
            values.insert(name, getXattr(nativePath(path), name));
        } catch (const PosixError& error) {
            if (isMissingAttribute(error))
                values.insert(name, std::nullopt);
        }
    }
    return values;
}

AttributeChange::AttributeChange(QString title, QString path, const Values& before,
                                 const Values& after)
    : m_title(std::move(title)), m_path(std::move(path)) {
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const auto later = after.constFind(it.key());
        if (later == after.cend() || *later == *it)
            continue;
        m_names.append(it.key());
        m_before.insert(it.key(), *it);
        m_after.insert(it.key(), *later);
    }
}

QString AttributeChange::undo() const {
    return apply(m_after, m_before, QStringLiteral("undo"));
}

QString AttributeChange::redo() const {
    return apply(m_before, m_after, QStringLiteral("redo"));
}

QString AttributeChange::apply(const Values& expected, const Values& wanted,
                               const QString& verb) const {
    const QString refusal = QStringLiteral("Can't %1 %2: ").arg(verb, m_title);
    const Values now = capture(m_path, m_names);
    for (const QByteArray& name : m_names) {
        if (!now.contains(name) || now.value(name) != expected.value(name))
            return AttributeFailure({}, refusal + QStringLiteral("the value has changed since"),
                                    m_path, name)
                .text();
    }
    const QByteArray path = nativePath(m_path);
    QList<QByteArray> written;
    for (const QByteArray& name : m_names) {
        try {
            write(path, name, wanted.value(name));
            written.append(name);
        } catch (const PosixError& error) {
            QStringList failures = {refusal + AttributeFailure::fromError(
                                                  callName(wanted.value(name)), error, m_path, name)
                                                  .text()};
            // Half a command taken back would be a state the user never saw: restore the rest.
            for (const QByteArray& done : written) {
                try {
                    write(path, done, expected.value(done));
                } catch (const PosixError& again) {
                    failures.append(AttributeFailure::fromError(callName(expected.value(done)),
                                                                again, m_path, done)
                                        .text());
                }
            }
            return failures.join(u'\n');
        }
    }
    return {};
}

} // namespace palvorn
