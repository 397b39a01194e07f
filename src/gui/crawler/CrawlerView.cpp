#include "gui/crawler/CrawlerView.h"

#include "core/crawler/CrawlJob.h"
#include "core/platform/ErrorAlert.h"
#include "gui/platform/QtOutputPane.h"
#include "gui/tools/FolderTool.h"
#include "gui/tools/FolderToolControls.h"
#include "gui/tools/WalkQueue.h"
#include "ui_CrawlerView.h"

#include <QFontDatabase>
#include <QShowEvent>

namespace palvorn {

CrawlerView::CrawlerView(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CrawlerView>()), m_platform(platform),
      m_processingQueue(new WalkQueue(this)) {
    m_ui->setupUi(this);
    m_ui->outputText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output = std::make_unique<QtOutputPane>(*m_ui->outputText);
    m_ui->showSizeCheckbox->setChecked(false);
    m_ui->totalSizesCheckbox->setChecked(false);
    new FolderToolControls({*this,
                            *m_ui->startButton,
                            *m_ui->folderText,
                            {m_ui->folderText, m_ui->xattrTypeText},
                            *m_ui->progressSpinner,
                            *m_ui->progressText},
                           *m_processingQueue, [this] { startScanButton(); });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &CrawlerView::saveButton);
}

CrawlerView::~CrawlerView() = default;

void CrawlerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    window()->setWindowTitle(QStringLiteral("Xattr Crawler"));
    m_ui->progressSpinner->setVisible(m_processingQueue->running() > 0);
}

void CrawlerView::startScanButton() {
    const QString folderText = m_ui->folderText->text();
    const std::optional<QString> type =
        FolderTool::typedType(m_platform, m_ui->xattrTypeText->text());
    if (!type)
        return;
    FolderTool::chooseFolder(
        m_platform, *window(), folderText,
        [this, type = *type](const QString& folder) { startScan(folder, type); });
}

void CrawlerView::startScan(const QString& folderPath, const QString& type) {
    // The controls are read now; a walk never looks at the window again.
    CrawlJob::Request request;
    request.folderPath = folderPath;
    request.type = type;
    request.showSizes = m_ui->showSizeCheckbox->isChecked();
    request.totals = m_ui->totalSizesCheckbox->isChecked();
    // The pane is the new walk's: its error lines never join the last report.
    m_output->setOutput(QString());
    m_processingQueue->start([this, request](WalkQueue::Walk& walk, const WalkQueue::Post& post) {
        const WalkErrors::LineSink onError = [this, &post](const QString& line) {
            post([this, line] { m_output->appendOutput(line + u'\n'); });
        };
        FolderWalk::Options options;
        options.stop = &walk.stop;
        options.progress = &walk.progress;
        const CrawlJob::Outcome outcome = CrawlJob::report(request, options, onError);
        // A folder that cannot be walked says why instead of leaving the spinner turning.
        const QString text =
            outcome.report ? *outcome.report : outcome.report.error().lineText();
        post([this, text] { m_output->setOutput(text); });
    });
}

void CrawlerView::saveButton() {
    FolderTool::savePane(m_platform, *m_output, *this);
}

} // namespace palvorn
