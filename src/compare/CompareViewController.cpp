#include "compare/CompareViewController.h"

#include "compare/Comparison.h"
#include "model/AttributeName.h"
#include "model/FolderText.h"
#include "model/XattrAccess.h"
#include "platform/ErrorAlert.h"
#include "platform/OpenPanel.h"
#include "platform/QtOutputPane.h"
#include "ui_CompareViewController.h"

#include <QDir>
#include <QDropEvent>
#include <QFontDatabase>
#include <QMimeData>
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
    for (QLineEdit* field : {m_ui->file1Textbox, m_ui->file2Textbox}) {
        connect(field, &QLineEdit::returnPressed, this, &CompareViewController::doCompareButton);
        field->installEventFilter(this);
    }
    connect(m_ui->file1Textbox, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeTypedPath(m_firstURL, text); });
    connect(m_ui->file2Textbox, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeTypedPath(m_secondURL, text); });
}

CompareViewController::~CompareViewController() = default;

void CompareViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        window()->setWindowTitle(QStringLiteral("Xattr Compare"));
}

// A typed path counts as chosen; "~" stands for the home folder as in the other tool windows.
// A text naming no folder ("~" and a user who does not exist) leaves the side unchosen.
void CompareViewController::takeTypedPath(std::optional<QUrl>& url, const QString& text) {
    url.reset();
    if (text.isEmpty())
        return;
    if (const std::optional<QString> path = FolderText::folderPath(text, QDir::homePath()).path)
        url = QUrl::fromLocalFile(*path);
}

namespace {

// The local items a drag carries; none when it carries anything else, or more than two.
QList<QUrl> droppedItems(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() > 2)
        return {};
    for (const QUrl& url : urls) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
    }
    return urls;
}

} // namespace

bool CompareViewController::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    const bool pathField = field && (field == m_ui->file1Textbox || field == m_ui->file2Textbox);
    if (!pathField)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (droppedItems(drag->mimeData()).isEmpty())
            return false; // text drops stay the field's own
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = droppedItems(drop->mimeData());
        if (urls.isEmpty())
            return false;
        takeDroppedItems(*field, urls);
        drop->acceptProposedAction();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// One item fills the field it was dropped on; two fill both fields, in the order dragged.
void CompareViewController::takeDroppedItems(QLineEdit& field, const QList<QUrl>& urls) {
    const bool first = &field == m_ui->file1Textbox;
    if (urls.size() == 2) {
        setChosen(m_firstURL, *m_ui->file1Textbox, urls.at(0));
        setChosen(m_secondURL, *m_ui->file2Textbox, urls.at(1));
        return;
    }
    setChosen(first ? m_firstURL : m_secondURL, field, urls.constFirst());
}

void CompareViewController::setChosen(std::optional<QUrl>& url, QLineEdit& field,
                                      const QUrl& chosen) {
    field.setText(chosen.toLocalFile());
    url = chosen;
}

void CompareViewController::choose(std::optional<QUrl>& url, QLineEdit& field) {
    OpenPanel::Options options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_platform.openPanel.begin(window(), options, [this, &url, &field](const QList<QUrl>& urls) {
        if (!urls.isEmpty())
            setChosen(url, field, urls.constFirst());
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
    m_report->setOutput(Comparison::header(displayName(nativePath(firstText)),
                                           displayName(nativePath(secondText))));
    const Comparison::Result result =
        Comparison::compare(m_firstURL->toLocalFile(), m_secondURL->toLocalFile());
    m_report->appendOutput(result.lines);
    if (result.failure)
        m_platform.alert.showErrorAlert(result.failure->text());
}

} // namespace palvorn
