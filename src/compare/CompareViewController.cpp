#include "compare/CompareViewController.h"

#include "compare/Comparison.h"
#include "platform/ErrorAlert.h"
#include "platform/OpenPanel.h"
#include "platform/QtOutputPane.h"
#include "ui_CompareViewController.h"

#include <QFontDatabase>
#include <QShowEvent>

namespace palvorn {

CompareViewController::CompareViewController(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CompareViewController>()), m_platform(platform) {
    m_ui->setupUi(this);
    m_ui->outputTextbox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_report = std::make_unique<QtOutputPane>(*m_ui->outputTextbox);
    connect(m_ui->choose1Button, &QPushButton::clicked, this,
            &CompareViewController::doChoose1Button);
    connect(m_ui->choose2Button, &QPushButton::clicked, this,
            &CompareViewController::doChoose2Button);
    connect(m_ui->compareButton, &QPushButton::clicked, this,
            &CompareViewController::doCompareButton);
}

CompareViewController::~CompareViewController() = default;

void CompareViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        window()->setWindowTitle(QStringLiteral("Xattr Compare"));
}

void CompareViewController::choose(std::optional<QUrl>& url, QLineEdit& field) {
    OpenPanel::Options options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_platform.openPanel.begin(window(), options, [&url, &field](const QList<QUrl>& urls) {
        if (urls.isEmpty())
            return;
        field.setText(urls.constFirst().toLocalFile());
        url = urls.constFirst();
    });
}

void CompareViewController::doChoose1Button() {
    choose(m_firstURL, *m_ui->file1Textbox);
}

void CompareViewController::doChoose2Button() {
    choose(m_secondURL, *m_ui->file2Textbox);
}

void CompareViewController::doCompareButton() {
    const QString firstText = m_ui->file1Textbox->text();
    const QString secondText = m_ui->file2Textbox->text();
    if (firstText.isEmpty() || secondText.isEmpty() || !m_firstURL || !m_secondURL)
        return;
    m_report->setOutput(Comparison::header(firstText, secondText));
    const Comparison::Result result =
        Comparison::compare(m_firstURL->toLocalFile(), m_secondURL->toLocalFile());
    m_report->appendOutput(result.lines);
    if (result.error)
        m_platform.alert.showErrorAlert(*result.error);
}

} // namespace palvorn
