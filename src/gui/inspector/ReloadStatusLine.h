#pragma once

#include "core/model/Error.h"

#include <QCoreApplication>
#include <QList>

class QLabel;

namespace palvorn {

// The inspector's line for what its last automatic reload could not read: hidden while there is
// nothing to say; one line whatever the count, with the whole list in its tooltip.
class ReloadStatusLine {
    Q_DECLARE_TR_FUNCTIONS(ReloadStatusLine)

public:
    explicit ReloadStatusLine(QLabel& label) : m_label(label) {}

    void show(const QList<Error>& failures);

private:
    QLabel& m_label;
};

} // namespace palvorn
