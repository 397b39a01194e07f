#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace palvorn {

// One item's attribute names during a walk, read into one reused buffer: no allocation per item
// and no text per name. Every name the system lists is kept, as its bytes, whether or not it is
// valid UTF-8; each is followed by a NUL so that it can be passed back to the system. Views stay
// valid until the next read.
class FolderItemNames {
public:
    // Throws PosixError.
    const QList<QByteArrayView>& read(int folderFd, const char* itemName);
    // The last list read, as the system gave it: every name followed by its NUL.
    QByteArrayView list() const { return m_buffer; }

private:
    QByteArray m_buffer; // one item's list: at most 64 KiB on Linux
    QList<QByteArrayView> m_names;
};

} // namespace palvorn
