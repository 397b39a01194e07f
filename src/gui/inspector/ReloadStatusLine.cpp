#include "gui/inspector/ReloadStatusLine.h"

#include "gui/platform/PlainText.h"

#include <QLabel>

namespace palvorn {

void ReloadStatusLine::show(const QList<Error>& failures) {
    if (failures.isEmpty()) {
        m_label.clear();
        m_label.setToolTip(tr("What the last automatic reload could not read"));
        m_label.hide();
        return;
    }
    const QString first = failures.constFirst().text().section(u'\n', 0, 0);
    m_label.setText(
        failures.size() == 1
            ? tr("Reload: %1").arg(first)
            : tr("Reload: %1 (and %n more)", nullptr, int(failures.size() - 1)).arg(first));
    m_label.setToolTip(PlainText::toolTip(Error::listText(failures)));
    m_label.show();
}

} // namespace palvorn
