#include "crawler/CrawlerViewController.h"

#include "app/FolderTool.h"
#include "app/WalkQueue.h"
#include "crawler/CrawlReport.h"
#include "platform/QtOutputPane.h"
#include "ui_CrawlerViewController.h"

#include <QFontDatabase>
#include <QShowEvent>

namespace palvorn {

CrawlerViewController::CrawlerViewController(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CrawlerViewController>()), m_platform(platform),
      m_processingQueue(new WalkQueue(this)) {
    m_ui->setupUi(this);
    m_ui->outputText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output = std::make_unique<QtOutputPane>(*m_ui->outputText);
    m_ui->showSizeCheckbox->setChecked(false);
    m_ui->totalSizesCheckbox->setChecked(false);
    connect(m_ui->startButton, &QPushButton::clicked, this,
            &CrawlerViewController::startScanButton);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &CrawlerViewController::saveButton);
}

CrawlerViewController::~CrawlerViewController() = default;

void CrawlerViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    window()->setWindowTitle(QStringLiteral("Xattr Crawler"));
    m_ui->progressSpinner->setVisible(false);
}

void CrawlerViewController::startScanButton() {
    const QString folderText = m_ui->folderText->text();
    const QString type = m_ui->xattrTypeText->text();
    FolderTool::chooseFolder(m_platform, *window(), folderText,
                             [this, type](const QString& folder) { startScan(folder, type); });
}

void CrawlerViewController::startScan(const QString& folderPath, const QString& type) {
    m_ui->progressSpinner->setVisible(true);
    // The controls are read now; a walk never looks at the window again.
    const bool totals = m_ui->totalSizesCheckbox->isChecked();
    const bool showSizes = m_ui->showSizeCheckbox->isChecked();
    m_processingQueue->start([this, folderPath, type, totals, showSizes](
                                 const std::atomic_bool& stop, const WalkQueue::Post& post) {
        const FolderWalk::ErrorSink onError = [this, &post](const QString& text) {
            post([this, text] { m_output->appendOutput(text); });
        };
        QString error;
        std::optional<QString> report;
        if (totals) {
            if (const auto result = Crawler::crawlSizes(folderPath, onError, &stop, &error))
                report = CrawlReport::reportSizeTotals(*result);
        } else if (type.isEmpty()) {
            if (const auto result = Crawler::crawlAllTypes(folderPath, onError, &stop, &error))
                report = CrawlReport::reportTypeTally(*result);
        } else if (const auto result =
                       Crawler::crawlOneType(folderPath, type, showSizes, onError, &stop, &error)) {
            report = CrawlReport::reportTypeMatches(*result);
        }
        // A folder that cannot be walked says why instead of leaving the spinner turning.
        post([this, text = report.value_or(error)] {
            m_output->setOutput(text);
            m_ui->progressSpinner->setVisible(false);
        });
    });
}

void CrawlerViewController::saveButton() {
    FolderTool::savePane(m_platform, *m_output, *this);
}

} // namespace palvorn
