#include "core/model/FolderWalk.h"

#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/model/FolderStream.h"
#include "core/model/XattrAccess.h"

#include <fcntl.h>

namespace palvorn {

int FolderWalk::openStart(const QString& folder, QByteArray* path, QString* error) {
    *path = nativePath(folder);
    // The folder given is taken as the kernel resolves it; only what lies below it is guarded.
    int code = 0;
    const int fd = FolderStream::open(AT_FDCWD, path->constData(), true, &code);
    if (fd < 0) {
        if (error)
            *error = displayName(*path) + QStringLiteral(": ") + Error::describe(code);
        return -1;
    }
    // Items are the folder's path, a slash and their names; "/" itself contributes no characters.
    while (path->endsWith('/'))
        path->chop(1);
    return fd;
}

} // namespace palvorn
