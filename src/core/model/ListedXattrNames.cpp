#include "core/model/ListedXattrNames.h"

#include "core/model/AttributeName.h"
#include "core/model/XattrAccess.h"

namespace palvorn {

Result<> ListedXattrNames::read(const QByteArray& path, Links links) {
    if (Result<> listed = readXattrNameList(path, m_buffer, links); !listed)
        return listed;
    // The names stay followed by their NULs (QByteArray keeps one after its data), so that each
    // can be passed back to the system as it is.
    splitNameList(m_buffer, m_names);
    return {};
}

} // namespace palvorn
