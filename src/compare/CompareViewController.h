#pragma once

#include "platform/Platform.h"

#include <memory>
#include <optional>

#include <QUrl>
#include <QWidget>

class QLineEdit;

namespace Ui {
class CompareViewController;
}

namespace palvorn {

class QtOutputPane;

// The compare window: two chosen items and a report of how their attributes differ. An item is
// chosen with its Choose… button, by typing its path or by dropping it on the path field.
class CompareViewController : public QWidget {
    Q_OBJECT

public:
    explicit CompareViewController(Platform platform, QWidget* parent = nullptr);
    ~CompareViewController() override;

    Ui::CompareViewController& ui() const { return *m_ui; }
    const std::optional<QUrl>& firstURL() const { return m_firstURL; }
    const std::optional<QUrl>& secondURL() const { return m_secondURL; }

    void doChoose1Button();
    void doChoose2Button();
    void doCompareButton();

    // Files and folders dropped on the path fields are taken as chosen.
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose(std::optional<QUrl>& url, QLineEdit& field);
    void setChosen(std::optional<QUrl>& url, QLineEdit& field, const QUrl& chosen);
    void takeTypedPath(std::optional<QUrl>& url, const QString& text);
    void takeDroppedItems(QLineEdit& field, const QList<QUrl>& urls);

    std::unique_ptr<Ui::CompareViewController> m_ui;
    Platform m_platform;
    std::unique_ptr<QtOutputPane> m_report;
    std::optional<QUrl> m_firstURL;
    std::optional<QUrl> m_secondURL;
};

} // namespace palvorn
