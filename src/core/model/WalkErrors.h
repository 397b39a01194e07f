#pragma once

#include <functional>

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace palvorn {

// The errors of one walk, each one line "PATH: REASON" (or "PATH: NAME: REASON" for one
// attribute). Memory stays bounded however many items fail: the first keptLines lines are kept,
// each as long as its path, and the rest are only counted.
class WalkErrors {
public:
    static constexpr qsizetype keptLines = 1000;
    // Where a running walk shows each kept line as it happens.
    using LineSink = std::function<void(const QString& line)>;

    // The line to show now, or an empty text once keptLines lines are kept.
    QString add(QByteArrayView path, const QString& reason);
    QString add(QByteArrayView path, QByteArrayView attributeName, const QString& reason);

    bool isEmpty() const { return m_count == 0; }
    qint64 count() const { return m_count; }
    qint64 items() const { return m_items; }
    const QStringList& lines() const { return m_lines; }

    // Nothing without errors; otherwise "\nN items could not be VERB:\n", the kept lines, and a
    // count of the lines left out.
    QString reportText(const QString& verb) const;

private:
    QString keep(QByteArrayView path, QString line);

    QStringList m_lines;
    qint64 m_count = 0;
    qint64 m_items = 0;
    QByteArray m_lastPath; // errors of one item come together; counts it once
};

} // namespace palvorn
