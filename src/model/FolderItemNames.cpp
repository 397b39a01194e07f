#include "model/FolderItemNames.h"

#include "model/FolderXattrAccess.h"

namespace palvorn {

const QList<QByteArrayView>& FolderItemNames::read(int folderFd, const char* itemName) {
    m_names.clear();
    FolderXattrAccess::list(folderFd, itemName, m_buffer);
    const QByteArrayView list = m_buffer;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf('\0', start);
        // A last name without its NUL is still one: QByteArray keeps a NUL after its data.
        if (end < 0)
            end = list.size();
        if (end > start)
            m_names.append(list.sliced(start, end - start));
        start = end + 1;
    }
    return m_names;
}

} // namespace palvorn
