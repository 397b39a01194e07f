#include "gui/app/PrivacyView.h"

#include "core/app/BuildSettings.h"
#include "ui_PrivacyView.h"

namespace palvorn {

PrivacyView::PrivacyView(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PrivacyView>()) {
    m_ui->setupUi(this);
    if (!BuildSettings::updateCheck)
        m_ui->sentText->setText(noNetworkText());
}

QString PrivacyView::noNetworkText() {
    return tr("<h3>What palvorn sends</h3>"
              "<p>Nothing. This build of palvorn has no update check (your package manager keeps "
              "it up to date): it makes no network request at all, and the update settings above "
              "have no effect.</p>"
              "<p>No attribute, no file content and no file name ever leaves your machine. Reports "
              "are written only where you save them.</p>");
}

PrivacyView::~PrivacyView() = default;

} // namespace palvorn
