#include "core/model/FolderItemNames.h"

#include "core/model/AttributeName.h"
#include "core/model/FolderXattrAccess.h"

#include <cstring>

namespace palvorn {

Result<> FolderItemNames::read(int folderFd, const char* itemName, const NameFilter& filter) {
    if (Result<> listed = FolderXattrAccess::list(folderFd, itemName, m_buffer); !listed)
        return listed;
    if (!filter.takesEveryName())
        keepMatching(filter);
    // The names stay followed by their NULs (QByteArray keeps one after its data), so that each
    // can be passed back to the system as it is.
    splitNameList(m_buffer, m_names);
    return {};
}

void FolderItemNames::keepMatching(const NameFilter& filter) {
    // The names taken are moved to the front, each with its NUL; the buffer is only shortened.
    splitNameList(m_buffer, m_names);
    qsizetype kept = 0;
    for (const QByteArrayView name : std::as_const(m_names)) {
        if (!filter.matches(name))
            continue;
        std::memmove(m_buffer.data() + kept, name.data(), name.size());
        kept += name.size();
        m_buffer[kept++] = '\0';
    }
    m_buffer.truncate(kept);
}

} // namespace palvorn
