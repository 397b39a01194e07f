#pragma once

#include "core/model/Error.h"

#include <QByteArray>
#include <QString>

namespace palvorn {

// Saving a file whole or not at all, the one way the reports, the exports and the tools' panes
// are saved: written beside the target and renamed over it, so that a failed save leaves the old
// file as it was.
class AtomicSave {
public:
    // Why the file was not saved: QFileDevice::errorString(), naming path.
    static Result<> write(const QString& path, const QByteArray& bytes);

    // The same file under any name, hard links and symbolic links included: saved by a rename,
    // one would take the other's place.
    static bool isSameFile(const QString& first, const QString& second);
};

} // namespace palvorn
