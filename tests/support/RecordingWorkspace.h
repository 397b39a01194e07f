#pragma once

#include "core/platform/Workspace.h"

#include <QList>
#include <QUrl>

namespace palvorn {

// Stand-in for tests: remembers the addresses instead of opening them.
class RecordingWorkspace : public Workspace {
public:
    void openURL(const QUrl& url) override;

    const QList<QUrl>& opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};

} // namespace palvorn
