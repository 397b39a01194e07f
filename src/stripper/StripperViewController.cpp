#include "stripper/StripperViewController.h"

#include "app/FolderTool.h"
#include "app/WalkQueue.h"
#include "platform/QtOutputPane.h"
#include "stripper/StripWalk.h"
#include "ui_StripperViewController.h"

#include <QFontDatabase>
#include <QShowEvent>

namespace palvorn {

StripperViewController::StripperViewController(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StripperViewController>()), m_platform(platform),
      m_processingQueue(new WalkQueue(this)) {
    m_ui->setupUi(this);
    m_ui->outputText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output = std::make_unique<QtOutputPane>(*m_ui->outputText);
    connect(m_ui->startButton, &QPushButton::clicked, this,
            &StripperViewController::startStripButton);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &StripperViewController::saveButton);
}

StripperViewController::~StripperViewController() = default;

void StripperViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    window()->setWindowTitle(QStringLiteral("Xattr Stripper"));
    m_ui->progressSpinner->setVisible(false);
}

void StripperViewController::setSpinnerRunning(bool running) {
    m_ui->progressSpinner->setVisible(running);
}

void StripperViewController::startStripButton() {
    const QString folderText = m_ui->folderText->text();
    const QString type = m_ui->xattrTypeText->text();
    if (type.isEmpty())
        return;
    FolderTool::chooseFolder(m_platform, *window(), folderText,
                             [this, type](const QString& folder) { startRun(folder, type); });
}

void StripperViewController::startRun(const QString& folderPath, const QString& type) {
    setSpinnerRunning(true);
    m_processingQueue->start(
        [this, folderPath, type](const std::atomic_bool& stop, const WalkQueue::Post& post) {
            const auto onError = [this, &post](const QString& text) {
                post([this, text] { m_output->appendOutput(text); });
            };
            QString error;
            const std::optional<StripWalk::Result> result =
                StripWalk::run(folderPath, type, onError, &stop, &error);
            // A folder that cannot be walked says why instead of leaving the spinner turning.
            const QString report = result ? StripWalk::report(*result) : error;
            post([this, report] {
                m_output->setOutput(report);
                setSpinnerRunning(false);
            });
        });
}

void StripperViewController::saveButton() {
    FolderTool::savePane(m_platform, *m_output, *this);
}

} // namespace palvorn
