#include "gui/stripper/StripperView.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/XattrAccess.h"
#include "core/platform/ErrorAlert.h"
#include "core/stripper/StripJob.h"
#include "gui/platform/QtConfirmation.h"
#include "gui/platform/QtOutputPane.h"
#include "gui/tools/FolderTool.h"
#include "gui/tools/FolderToolControls.h"
#include "gui/tools/WalkQueue.h"
#include "ui_StripperView.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSettings>
#include <QShowEvent>

namespace palvorn {

StripperView::StripperView(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StripperView>()), m_platform(platform),
      m_processingQueue(new WalkQueue(this)) {
    m_ui->setupUi(this);
    m_ui->outputText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output = std::make_unique<QtOutputPane>(*m_ui->outputText);
    if (!m_platform.confirmation) {
        m_ownConfirmation = std::make_unique<QtConfirmation>();
        m_platform.confirmation = m_ownConfirmation.get();
    }
    new FolderToolControls({*this,
                            *m_ui->startButton,
                            *m_ui->folderText,
                            {m_ui->folderText, m_ui->xattrTypeText},
                            *m_ui->progressSpinner,
                            *m_ui->progressText,
                            m_ui->xattrTypeText},
                           *m_processingQueue, [this] { startStripButton(); });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &StripperView::saveButton);
}

StripperView::~StripperView() = default;

void StripperView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    window()->setWindowTitle(QStringLiteral("Xattr Stripper"));
    m_ui->progressSpinner->setVisible(m_processingQueue->running() > 0);
}

void StripperView::startStripButton() {
    const QString folderText = m_ui->folderText->text();
    if (m_ui->xattrTypeText->text().isEmpty())
        return;
    const std::optional<QString> type =
        FolderTool::typedType(m_platform, m_ui->xattrTypeText->text());
    if (!type)
        return;
    FolderTool::chooseFolder(
        m_platform, *window(), folderText,
        [this, type = *type](const QString& folder) { confirmRun(folder, type); });
}

// Removing cannot be undone but through a restore file: the user confirms the type and the folder
// first.
void StripperView::confirmRun(const QString& folderPath, const QString& type) {
    const QString question = QStringLiteral("Remove every ") + displayName(ByteText::encode(type)) +
                             QStringLiteral(" from all items below ") +
                             displayName(nativePath(folderPath)) + u'?';
    m_platform.confirmation->ask(window(), question,
                                 [this, folderPath, type] { startRun(folderPath, type); });
}

QString StripperView::restoreFolder() {
    return QDir(QFileInfo(QSettings().fileName()).absolutePath())
        .filePath(QStringLiteral("palvorn-restore-files"));
}

void StripperView::startRun(const QString& folderPath, const QString& type) {
    StripJob::Request request;
    request.folderPath = folderPath;
    request.type = type;
    // Chosen when the strip starts, as the window then shows it.
    if (m_ui->keepRestoreFileCheck->isChecked())
        request.restoreFolder = restoreFolder();
    request.now = QDateTime::currentDateTime();
    // The pane is the new strip's: its error lines never join the last report.
    m_output->setOutput(QString());
    m_processingQueue->start([this, request](WalkQueue::Walk& walk, const WalkQueue::Post& post) {
        const WalkErrors::LineSink onError = [this, &post](const QString& line) {
            post([this, line] { m_output->appendOutput(line + u'\n'); });
        };
        FolderWalk::Options options;
        options.stop = &walk.stop;
        options.progress = &walk.progress;
        // A folder that cannot be walked says why instead of leaving the spinner turning.
        const QString report = StripJob::run(request, options, onError).text();
        post([this, report] { m_output->setOutput(report); });
    });
}

void StripperView::saveButton() {
    FolderTool::savePane(m_platform, *m_output, *this);
}

} // namespace palvorn
