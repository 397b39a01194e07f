#pragma once

#include "core/platform/Platform.h"

#include <memory>

#include <QWidget>

namespace Ui {
class CrawlerView;
}

namespace palvorn {

class QtOutputPane;
class WalkQueue;

// The crawler window: walks everything below a folder in the background and reports a tally of
// all attribute names, the items carrying one name, or the total and average sizes.
class CrawlerView : public QWidget {
    Q_OBJECT

public:
    explicit CrawlerView(Platform platform, QWidget* parent = nullptr);
    ~CrawlerView() override;

    Ui::CrawlerView& ui() const { return *m_ui; }
    WalkQueue& processingQueue() const { return *m_processingQueue; }

    void startScanButton();
    void saveButton();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startScan(const QString& folderPath, const QString& type);

    std::unique_ptr<Ui::CrawlerView> m_ui;
    Platform m_platform;
    std::unique_ptr<QtOutputPane> m_output;
    WalkQueue* m_processingQueue;
};

} // namespace palvorn
