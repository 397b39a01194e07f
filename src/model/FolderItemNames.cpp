#include "model/FolderItemNames.h"

#include "model/AttributeName.h"
#include "model/FolderXattrAccess.h"

namespace palvorn {

const QList<QByteArrayView>& FolderItemNames::read(int folderFd, const char* itemName) {
    FolderXattrAccess::list(folderFd, itemName, m_buffer);
    // The names stay followed by their NULs (QByteArray keeps one after its data), so that each
    // can be passed back to the system as it is.
    splitNameList(m_buffer, m_names);
    return m_names;
}

} // namespace palvorn
