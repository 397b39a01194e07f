#include "inspector/AttributeChange.h"

#include "model/AttributeName.h"
#include "model/XattrAccess.h"

#include <cerrno>
#include <utility>

namespace palvorn {

namespace {

bool isMissingAttribute(const PosixError& error) {
#ifdef ENOATTR
    return error.code() == ENOATTR;
#else
    return error.code() == ENODATA;
#endif
}

// A full system name passes the namespace rule unchanged.
QString accessName(const QByteArray& systemName) {
    return QString::fromUtf8(systemName);
}

void write(const QByteArray& path, const QByteArray& name, const std::optional<QByteArray>& value) {
    if (value)
        setXattr(path, accessName(name), *value);
    else
        removeXattr(path, accessName(name));
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
            values.insert(name, getListedXattr(nativePath(path), name.constData()));
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
    const Values now = capture(m_path, m_names);
    for (const QByteArray& name : m_names) {
        if (!now.contains(name) || now.value(name) != expected.value(name))
            return QStringLiteral("Can't %1 %2: the attribute %3 of %4 has changed since.")
                .arg(verb, m_title, displayName(name), m_path);
    }
    const QByteArray path = nativePath(m_path);
    QList<QByteArray> written;
    for (const QByteArray& name : m_names) {
        try {
            write(path, name, wanted.value(name));
            written.append(name);
        } catch (const PosixError& error) {
            QString failure = QStringLiteral("Can't %1 %2: %3 error on the attribute %4 of %5: %6")
                                  .arg(verb, m_title, callName(wanted.value(name)),
                                       displayName(name), m_path, error.description());
            // Half a command taken back would be a state the user never saw: restore the rest.
            for (const QByteArray& done : written) {
                try {
                    write(path, done, expected.value(done));
                } catch (const PosixError& again) {
                    failure +=
                        QStringLiteral("\nThe attribute %1 could not be restored: %2 error: %3")
                            .arg(displayName(done), callName(expected.value(done)),
                                 again.description());
                }
            }
            return failure;
        }
    }
    return {};
}

} // namespace palvorn
