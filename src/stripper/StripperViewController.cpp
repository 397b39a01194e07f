#include "stripper/StripperViewController.h"

#include "app/WalkQueue.h"
#include "inspector/InspectorReport.h"
#include "model/FolderText.h"
#include "platform/OpenPanel.h"
#include "platform/QtOutputPane.h"
#include "platform/SavePanel.h"
#include "stripper/StripWalk.h"
#include "ui_StripperViewController.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPointer>
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
    if (!folderText.isEmpty()) {
        startRun(FolderText::folderPath(folderText, QDir::homePath()), type);
        window()->setWindowTitle(folderText);
        return;
    }
    OpenPanel::Options options;
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_platform.openPanel.begin(window(), options, [this, type](const QList<QUrl>& urls) {
        if (urls.isEmpty())
            return;
        const QString folder = QDir::cleanPath(urls.constFirst().toLocalFile());
        startRun(folder, type);
        window()->setWindowTitle(QFileInfo(folder).fileName());
    });
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
    const QString text = m_output->output();
    SavePanel::Options options;
    options.allowedFileTypes = {QStringLiteral("text"), QStringLiteral("txt")};
    options.canCreateDirectories = true;
    // A free-standing panel may outlive the window.
    const QPointer<StripperViewController> self(this);
    m_platform.savePanel.begin(nullptr, options, [self, text](const std::optional<QUrl>& url) {
        if (!url)
            return;
        const QString failure = InspectorReport::writeReport(url->toLocalFile(), text, QString());
        if (!failure.isEmpty() && self)
            self->m_output->appendOutput(failure);
    });
}

} // namespace palvorn
