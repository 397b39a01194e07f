#include "gui/compare/CompareView.h"

#include "core/compare/Comparison.h"
#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"
#include "core/platform/DroppedPaths.h"
#include "core/platform/ErrorAlert.h"
#include "core/platform/OpenPanel.h"
#include "gui/platform/QtOutputPane.h"
#include "gui/tools/FolderTool.h"
#include "ui_CompareView.h"

#include <QDir>
#include <QDropEvent>
#include <QFontDatabase>
#include <QShowEvent>

namespace palvorn {

CompareView::CompareView(Platform platform, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CompareView>()), m_platform(platform) {
    m_ui->setupUi(this);
    m_ui->outputTextbox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_report = std::make_unique<QtOutputPane>(*m_ui->outputTextbox);
    connect(m_ui->choose1Button, &QPushButton::clicked, this,
            &CompareView::doChoose1Button);
    connect(m_ui->choose2Button, &QPushButton::clicked, this,
            &CompareView::doChoose2Button);
    connect(m_ui->compareButton, &QPushButton::clicked, this,
            &CompareView::doCompareButton);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &CompareView::saveButton);
    for (QLineEdit* field : {m_ui->file1Textbox, m_ui->file2Textbox}) {
        connect(field, &QLineEdit::returnPressed, this, &CompareView::doCompareButton);
        field->installEventFilter(this);
    }
    connect(m_ui->file1Textbox, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeTypedPath(m_firstPath, text); });
    connect(m_ui->file2Textbox, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeTypedPath(m_secondPath, text); });
}

CompareView::~CompareView() = default;

void CompareView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        window()->setWindowTitle(QStringLiteral("Xattr Compare"));
}

// A typed path counts as chosen; "~" stands for the home folder as in the other tool windows.
// A text naming no folder ("~" and a user who does not exist) leaves the side unchosen.
void CompareView::takeTypedPath(std::optional<QString>& path, const QString& text) {
    path.reset();
    if (text.isEmpty())
        return;
    if (const Result<QString> typed = FolderText::folderPath(text, QDir::homePath()))
        path = *typed;
}

namespace {

// The local items a drag carries; none when it carries anything else, or more than two.
QStringList droppedItems(const QMimeData* data) {
    const QStringList paths = DroppedPaths::localPaths(data);
    if (paths.size() > 2 || DroppedPaths::hasOtherUrls(data))
        return {};
    return paths;
}

} // namespace

bool CompareView::eventFilter(QObject* watched, QEvent* event) {
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
        const QStringList paths = droppedItems(drop->mimeData());
        if (paths.isEmpty())
            return false;
        takeDroppedItems(*field, paths);
        drop->acceptProposedAction();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// One item fills the field it was dropped on; two fill both fields, in the order dragged.
void CompareView::takeDroppedItems(QLineEdit& field, const QStringList& paths) {
    const bool first = &field == m_ui->file1Textbox;
    if (paths.size() == 2) {
        setChosen(m_firstPath, *m_ui->file1Textbox, paths.at(0));
        setChosen(m_secondPath, *m_ui->file2Textbox, paths.at(1));
        return;
    }
    setChosen(first ? m_firstPath : m_secondPath, field, paths.constFirst());
}

void CompareView::setChosen(std::optional<QString>& path, QLineEdit& field,
                                      const QString& chosen) {
    field.setText(chosen); // the header shows it as names are shown
    path = chosen;
}

void CompareView::choose(std::optional<QString>& path, QLineEdit& field) {
    OpenPanel::Options options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = true;
    options.treatsPackagesAsDirectories = true;
    m_platform.openPanel.begin(window(), options, [this, &path, &field](const QStringList& paths) {
        if (!paths.isEmpty())
            setChosen(path, field, paths.constFirst());
    });
}

void CompareView::doChoose1Button() {
    choose(m_firstPath, *m_ui->file1Textbox);
}

void CompareView::doChoose2Button() {
    choose(m_secondPath, *m_ui->file2Textbox);
}

std::optional<QString> CompareView::itemOf(const std::optional<QString>& chosen,
                                                     const QString& text, const QString& which,
                                                     QString* refusal) const {
    if (chosen && !text.isEmpty())
        return chosen;
    const Result<QString> path = Comparison::itemPathOf(text, which, QDir::homePath());
    if (!path) {
        *refusal = path.error().text();
        return std::nullopt;
    }
    return *path;
}

// A report under paths it is not about would mislead: a refused field replaces it with why.
void CompareView::doCompareButton() {
    const QString firstText = m_ui->file1Textbox->text();
    const QString secondText = m_ui->file2Textbox->text();
    QString refusal;
    const std::optional<QString> first = itemOf(m_firstPath, firstText, tr("first"), &refusal);
    const std::optional<QString> second =
        first ? itemOf(m_secondPath, secondText, tr("second"), &refusal) : std::nullopt;
    if (!first || !second) {
        m_report->setOutput(refusal);
        return;
    }
    m_report->setOutput(Comparison::header(displayName(nativePath(firstText)),
                                           displayName(nativePath(secondText))));
    const Comparison::Result result = Comparison::compare(*first, *second);
    m_report->appendOutput(result.lines);
    if (result.failure)
        m_platform.alert.showErrorAlert(result.failure->text());
}

void CompareView::saveButton() {
    FolderTool::savePane(m_platform, *m_report, *this);
}

} // namespace palvorn
