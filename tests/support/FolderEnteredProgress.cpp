#include "support/FolderEnteredProgress.h"

namespace palvorn {

void FolderEnteredProgress::enterFolder(const QByteArray& path) {
    WalkProgress::enterFolder(path);
    m_entered(path);
}

} // namespace palvorn
