#include "core/model/FolderWalk.h"

#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/model/FolderStream.h"
#include "core/model/XattrAccess.h"

#include <fcntl.h>

namespace palvorn {

Result<int> FolderWalk::openStart(const QString& folder, QByteArray* path) {
    *path = nativePath(folder);
    // The folder given is taken as the kernel resolves it; only what lies below it is guarded.
    int code = 0;
    const int fd = FolderStream::open(AT_FDCWD, path->constData(), true, &code);
    // "PATH: REASON" as a text of its own, as every caller has shown it.
    if (fd < 0)
        return failure(
            Error({}, displayName(*path) + QStringLiteral(": ") + Error::describe(code), {}));
    // Items are the folder's path, a slash and their names; "/" itself contributes no characters.
    while (path->endsWith('/'))
        path->chop(1);
    return fd;
}

} // namespace palvorn
