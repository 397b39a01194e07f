#include "gui/app/AboutView.h"

#include "ui_AboutView.h"

#include <QPushButton>

namespace palvorn {

AboutView::AboutView(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::AboutView>()) {
    m_ui->setupUi(this);
    m_ui->versionLabel->setText(versionText());
    m_ui->qtLabel->setText(qtText());
    m_ui->licenceLabel->setText(licenceText());
    // Wrapped lines need their width: smaller, the window would cut its text off.
    setMinimumSize(sizeHint());
    connect(m_ui->closeButton, &QPushButton::clicked, this, [this] { window()->close(); });
}

AboutView::~AboutView() = default;

QString AboutView::versionText() {
    return tr("Version %1").arg(QStringLiteral(PALVORN_VERSION));
}

QString AboutView::qtText() {
    // The Qt found at run time may be newer than the one palvorn was built with.
    return tr("Built with Qt %1, running on Qt %2. Qt is used under the GNU Lesser General "
              "Public License, version 3.")
        .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion()));
}

QString AboutView::licenceText() {
    // The project states no licence of its own, so none is claimed for it here.
    return tr("© Brackenfield. No licence has been declared for palvorn: all rights reserved.");
}

} // namespace palvorn
