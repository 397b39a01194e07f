#include "app/PrivacyView.h"

#include "ui_PrivacyView.h"

namespace palvorn {

PrivacyView::PrivacyView(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PrivacyView>()) {
    m_ui->setupUi(this);
}

PrivacyView::~PrivacyView() = default;

} // namespace palvorn
