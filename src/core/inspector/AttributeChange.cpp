#include "core/inspector/AttributeChange.h"

#include "core/model/Error.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <utility>

#include <QStringList>

namespace palvorn {

namespace {

bool isMissingAttribute(const Error& error) {
#ifdef ENOATTR
    return error.code() == ENOATTR;
#else
    return error.code() == ENODATA;
#endif
}

Result<> write(const QByteArray& path, const QByteArray& name,
               const std::optional<QByteArray>& value) {
    return value ? setXattr(path, name, *value) : removeXattr(path, name);
}

QString callName(const std::optional<QByteArray>& value) {
    return value ? QStringLiteral("setxattr") : QStringLiteral("removexattr");
}

} // namespace

AttributeChange::Values AttributeChange::capture(const QString& path,
                                                 const QList<QByteArray>& names) {
    Values values;
    for (const QByteArray& name : names) {
        if (Result<QByteArray> value = getXattr(nativePath(path), name))
            values.insert(name, *value);
        else if (isMissingAttribute(value.error()))
            values.insert(name, std::nullopt);
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

Result<> AttributeChange::undo() const {
    return apply(m_after, m_before, QStringLiteral("undo"));
}

Result<> AttributeChange::redo() const {
    return apply(m_before, m_after, QStringLiteral("redo"));
}

Result<> AttributeChange::apply(const Values& expected, const Values& wanted,
                                const QString& verb) const {
    const QString refusal = QStringLiteral("Can't %1 %2: ").arg(verb, m_title);
    const Values now = capture(m_path, m_names);
    for (const QByteArray& name : m_names) {
        if (!now.contains(name) || now.value(name) != expected.value(name))
            return failure(
                Error({}, refusal + QStringLiteral("the value has changed since"), m_path, name));
    }
    const QByteArray path = nativePath(m_path);
    QList<QByteArray> written;
    for (const QByteArray& name : m_names) {
        const Result<> done = write(path, name, wanted.value(name));
        if (done) {
            written.append(name);
            continue;
        }
        QStringList failures = {
            refusal +
            Error::fromError(callName(wanted.value(name)), done.error(), m_path, name).text()};
        // Half a command taken back would be a state the user never saw: restore the rest.
        for (const QByteArray& back : written) {
            if (const Result<> again = write(path, back, expected.value(back)); !again)
                failures.append(
                    Error::fromError(callName(expected.value(back)), again.error(), m_path, back)
                        .text());
        }
        // One error for the whole step, whose lines each name their own attribute.
        return failure(Error({}, failures.join(u'\n'), {}));
    }
    return {};
}

} // namespace palvorn
