#pragma once

#include <memory>

#include <QWidget>

namespace Ui {
class PrivacyView;
}

namespace palvorn {

// The privacy window: what palvorn keeps on the machine and what it sends. Its whole content is
// laid out in PrivacyView.ui.
class PrivacyView : public QWidget {
    Q_OBJECT

public:
    explicit PrivacyView(QWidget* parent = nullptr);
    ~PrivacyView() override;

    Ui::PrivacyView& ui() const { return *m_ui; }

    // Shown instead of the update check's paragraph in a build without the check.
    static QString noNetworkText();

private:
    std::unique_ptr<Ui::PrivacyView> m_ui;
};

} // namespace palvorn
