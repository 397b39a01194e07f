#include "core/model/Error.h"

#include "core/model/AttributeName.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <cstring>

#include <QStringList>

namespace palvorn {

Error::Error(QString call, QString reason, QString path, QByteArray name, int code)
    : m_call(std::move(call)), m_reason(std::move(reason)), m_path(std::move(path)),
      m_name(std::move(name)), m_code(code) {}

Error Error::fromCode(int code) {
    return Error({}, describe(code), {}, {}, code);
}

Error Error::ofLine(qint64 line, QString reason, QString path, QByteArray name) {
    Error error({}, std::move(reason), std::move(path), std::move(name));
    error.m_line = line;
    return error;
}

Error Error::fromErrno() {
    return fromCode(errno);
}

Error Error::fromError(const QString& call, const Error& cause, const QString& path,
                       const QByteArray& name) {
    return Error(call, cause.reason(), path, name, cause.code());
}

QString Error::describe(int code) {
    // strerror() may share one buffer between threads; the walks call this from worker threads.
    char buffer[256] = {};
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char* text = strerror_r(code, buffer, sizeof buffer);
#else
    const char* text = strerror_r(code, buffer, sizeof buffer) == 0 ? buffer : "Unknown error";
#endif
    return QString::fromLocal8Bit(text);
}

QString Error::text() const {
    QString text = m_call.isEmpty() ? m_reason : m_call + QStringLiteral(" error: ") + m_reason;
    if (m_path.isEmpty())
        return text;
    // A sentence keeps its full stop after the subject.
    const bool sentence = text.endsWith(u'.');
    if (sentence)
        text.chop(1);
    // Appended, never substituted: a "%1" in a name or path stays text.
    text += QStringLiteral(" (");
    if (!m_name.isEmpty())
        text +=
            QStringLiteral("attribute \u201c") + displayName(m_name) + QStringLiteral("\u201d of ");
    text += u'\u201c' + displayName(nativePath(m_path)) + QStringLiteral("\u201d)");
    return sentence ? text + u'.' : text;
}

QString Error::listText(const QList<Error>& failures) {
    QStringList lines;
    for (const Error& failure : failures)
        lines.append(failure.text());
    return lines.join(u'\n');
}

bool Error::concernsItem() const {
    switch (m_code) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
    case EACCES:
    case EROFS:
        return true;
    default:
        return false;
    }
}

QString Error::lineText() const {
    if (m_path.isEmpty())
        return m_call.isEmpty() ? m_reason : m_call + QStringLiteral(" error: ") + m_reason;
    QString line = displayName(nativePath(m_path)) + QStringLiteral(": ");
    if (!m_name.isEmpty() && !concernsItem())
        line += displayName(m_name) + QStringLiteral(": ");
    return line + (m_call.isEmpty() ? m_reason : m_call + QStringLiteral(" error: ") + m_reason);
}

QStringList Error::lineTexts(const QList<Error>& failures) {
    QStringList lines;
    for (const Error& failure : failures) {
        const QString line = failure.lineText();
        if (!failure.concernsItem() || !lines.contains(line))
            lines.append(line);
    }
    return lines;
}

} // namespace palvorn
