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
    // Every non-empty name in the order the system lists them, valid UTF-8 or not. Throws
    // PosixError.
    const QList<QByteArrayView>& read(const QByteArray& path, Links links = Links::Follow);

private:
    QByteArray m_buffer;
    QList<QByteArrayView> m_names;
};

} // namespace palvorn
