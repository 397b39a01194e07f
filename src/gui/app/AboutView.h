#pragma once

#include <memory>

#include <QWidget>

namespace Ui {
class AboutView;
}

namespace palvorn {

// Help > About palvorn: the version, the Qt it was built with and runs on, and the licence.
class AboutView : public QWidget {
    Q_OBJECT

public:
    explicit AboutView(QWidget* parent = nullptr);
    ~AboutView() override;

    Ui::AboutView& ui() const { return *m_ui; }

    static QString versionText();
    static QString qtText();
    static QString licenceText();

private:
    std::unique_ptr<Ui::AboutView> m_ui;
};

} // namespace palvorn
