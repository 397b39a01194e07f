#include "core/model/AtomicSave.h"

#include "core/model/XattrAccess.h"

#include <sys/stat.h>

#include <QSaveFile>

namespace palvorn {

Result<> AtomicSave::write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // The flush is checked on its own: a commit does not notice a buffered write that failed, and
    // would rename the cut-off file over the old one.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        return failure(Error({}, file.errorString(), path));
    return {};
}

bool AtomicSave::isSameFile(const QString& first, const QString& second) {
    struct stat a = {};
    struct stat b = {};
    return ::stat(nativePath(first).constData(), &a) == 0 &&
           ::stat(nativePath(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace palvorn
