#pragma once

#include <atomic>

#include <QByteArray>
#include <QMutex>
#include <QString>

namespace palvorn {

// What a running walk has done so far, written by the walk's thread and read by whoever shows it
// (a window's timer, the command line's progress line) as often as it likes: a counter and the
// folder being walked, never a queued event per item.
class WalkProgress {
public:
    virtual ~WalkProgress() = default;

    void countItem() { countItems(1); }
    void countItems(qint64 count) { m_items.fetch_add(count, std::memory_order_relaxed); }
    // Called once a folder is open, before its entries are read, on the thread that reads them.
    // Virtual so that whoever watches a walk may act at that point (a test changes the tree or
    // stops the walk there); once per folder, never per item.
    virtual void enterFolder(const QByteArray& path);

    qint64 items() const { return m_items.load(std::memory_order_relaxed); }
    QByteArray folder() const;

    // "1234 items, in /home/zoe/Music": one line, as the window and palvorn-cli show it.
    QString text() const;

private:
    std::atomic<qint64> m_items = 0;
    mutable QMutex m_mutex;
    QByteArray m_folder; // one path, replaced on each folder
};

} // namespace palvorn
