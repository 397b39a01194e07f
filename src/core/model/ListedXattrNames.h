#pragma once

#include "core/model/XattrAccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace palvorn {

// Reads items' attribute name lists into one reused buffer, for walks over hundreds of thousands
// of items: no allocation per item and no text per name. Names are views of the buffer as the
// system lists them (namespace included), each followed by a NUL so that it can be passed back to
// the system; they stay valid until the next read. The buffer is bounded by the system's limit on
// one item's list (64 KiB on Linux).
class ListedXattrNames {
public:
    // Reads every non-empty name in the order the system lists them, valid UTF-8 or not.
    Result<> read(const QByteArray& path, Links links = Links::Follow);
    // The names of the last read that succeeded.
    const QList<QByteArrayView>& names() const { return m_names; }

private:
    QByteArray m_buffer;
    QList<QByteArrayView> m_names;
};

} // namespace palvorn
