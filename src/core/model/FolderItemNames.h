#pragma once

#include "core/model/Error.h"
#include "core/model/NameFilter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace palvorn {

// One item's attribute names during a walk, read into one reused buffer: no allocation per item
// and no text per name. Every name the system lists is kept (or every one a filter takes), as its
// bytes, whether or not it is valid UTF-8; each is followed by a NUL so that it can be passed back
// to the system. Views stay valid until the next read.
class FolderItemNames {
public:
    // Only the names the filter takes are kept (by default every name).
    Result<> read(int folderFd, const char* itemName, const NameFilter& filter = {});
    // The names of the last read that succeeded.
    const QList<QByteArrayView>& names() const { return m_names; }
    // The last list read, as the system gave it (the names the filter took): every name followed
    // by its NUL.
    QByteArrayView list() const { return m_buffer; }

private:
    void keepMatching(const NameFilter& filter);

    QByteArray m_buffer; // one item's list: at most 64 KiB on Linux
    QList<QByteArrayView> m_names;
};

} // namespace palvorn
