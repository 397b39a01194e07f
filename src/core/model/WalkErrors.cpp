#include "core/model/WalkErrors.h"

#include "core/model/AttributeName.h"

namespace palvorn {

QString WalkErrors::add(QByteArrayView path, const QString& reason) {
    return keep(path, displayName(path) + QStringLiteral(": ") + reason);
}

QString WalkErrors::add(QByteArrayView path, QByteArrayView attributeName, const QString& reason) {
    return keep(path, displayName(path) + QStringLiteral(": ") + displayName(attributeName) +
                          QStringLiteral(": ") + reason);
}

QString WalkErrors::keep(QByteArrayView path, QString line) {
    ++m_count;
    if (path != m_lastPath) {
        ++m_items;
        m_lastPath = path.toByteArray();
    }
    if (m_lines.size() >= keptLines)
        return {};
    m_lines.append(line);
    return line;
}

QString WalkErrors::reportText(const QString& verb) const {
    if (m_count == 0)
        return {};
    QString text =
        QStringLiteral("\n%1 items could not be ").arg(m_items) + verb + QStringLiteral(":\n");
    for (const QString& line : m_lines)
        text += line + u'\n';
    if (m_count > m_lines.size())
        text += QStringLiteral("… and %1 more errors\n").arg(m_count - m_lines.size());
    return text;
}

} // namespace palvorn
