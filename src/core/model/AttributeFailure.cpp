#include "core/model/AttributeFailure.h"

#include "core/model/AttributeName.h"
#include "core/model/XattrAccess.h"

#include <cerrno>

#include <QStringList>

namespace palvorn {

AttributeFailure::AttributeFailure(QString call, QString reason, QString path, QByteArray name,
                                   int code)
    : m_call(std::move(call)), m_reason(std::move(reason)), m_path(std::move(path)),
      m_name(std::move(name)), m_code(code) {}

AttributeFailure AttributeFailure::fromError(const QString& call, const PosixError& error,
                                             const QString& path, const QByteArray& name) {
    return AttributeFailure(call, error.description(), path, name, error.code());
}

QString AttributeFailure::text() const {
    QString text = m_call.isEmpty() ? m_reason : m_call + QStringLiteral(" error: ") + m_reason;
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

QString AttributeFailure::listText(const QList<AttributeFailure>& failures) {
    QStringList lines;
    for (const AttributeFailure& failure : failures)
        lines.append(failure.text());
    return lines.join(u'\n');
}

bool AttributeFailure::concernsItem() const {
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

QString AttributeFailure::lineText() const {
    QString line = displayName(nativePath(m_path)) + QStringLiteral(": ");
    if (!m_name.isEmpty() && !concernsItem())
        line += displayName(m_name) + QStringLiteral(": ");
    return line + (m_call.isEmpty() ? m_reason : m_call + QStringLiteral(" error: ") + m_reason);
}

QStringList AttributeFailure::lineTexts(const QList<AttributeFailure>& failures) {
    QStringList lines;
    for (const AttributeFailure& failure : failures) {
        const QString line = failure.lineText();
        if (!failure.concernsItem() || !lines.contains(line))
            lines.append(line);
    }
    return lines;
}

} // namespace palvorn
