#include "gui/tools/FolderToolControls.h"

#include "core/model/XattrAccess.h"
#include "core/platform/DroppedPaths.h"
#include "gui/platform/PlainText.h"
#include "gui/tools/WalkQueue.h"

#include <sys/stat.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>

namespace palvorn {

namespace {

// The one local folder a drag carries (its path as bytes, see ByteText), or an empty text.
QString droppedFolder(const QMimeData* mime) {
    const QStringList paths = DroppedPaths::localPaths(mime);
    struct stat status = {};
    if (paths.size() != 1 || DroppedPaths::hasOtherUrls(mime) ||
        ::stat(nativePath(paths.constFirst()).constData(), &status) != 0 ||
        !S_ISDIR(status.st_mode))
        return {};
    return paths.constFirst();
}

QString progressName(const QString& line) {
    return line.isEmpty() ? FolderToolControls::tr("Progress")
                          : FolderToolControls::tr("Progress: %1").arg(line);
}

} // namespace

FolderToolControls::FolderToolControls(const Widgets& widgets, WalkQueue& queue,
                                       std::function<void()> start)
    : QObject(&widgets.view), m_widgets(widgets), m_queue(queue), m_start(std::move(start)),
      m_startTitle(widgets.startButton.text()) {
    connect(&m_widgets.startButton, &QPushButton::clicked, this, &FolderToolControls::startOrStop);
    for (QLineEdit* field : std::as_const(m_widgets.fields))
        connect(field, &QLineEdit::returnPressed, this, [this] { m_start(); });
    connect(&m_queue, &WalkQueue::runningChanged, this, &FolderToolControls::showRunning);
    connect(&m_refresh, &QTimer::timeout, this, &FolderToolControls::showProgress);
    m_refresh.setInterval(refreshMsecs);
    m_widgets.view.installEventFilter(this);
    m_widgets.folderText.setAcceptDrops(true);
    m_widgets.folderText.installEventFilter(this);
    if (m_widgets.required)
        connect(m_widgets.required, &QLineEdit::textChanged, this,
                &FolderToolControls::enableStart);
    m_widgets.progressText.setAccessibleName(progressName({}));
    enableStart();
}

void FolderToolControls::enableStart() {
    m_widgets.startButton.setEnabled(m_queue.running() > 0 || !m_widgets.required ||
                                     !m_widgets.required->text().isEmpty());
}

void FolderToolControls::startOrStop() {
    if (m_queue.running() > 0)
        m_queue.stopAll();
    else
        m_start();
}

void FolderToolControls::showRunning() {
    const bool running = m_queue.running() > 0;
    m_widgets.startButton.setText(running ? tr("St&op") : m_startTitle);
    enableStart();
    m_widgets.spinner.setVisible(running);
    if (running) {
        if (!m_refresh.isActive())
            m_refresh.start();
        showProgress();
    } else {
        m_refresh.stop();
        m_widgets.progressText.clear();
        m_widgets.progressText.setAccessibleName(progressName({}));
    }
}

void FolderToolControls::showProgress() {
    // Several walks show one line each; the label shows the first and the tooltip all of them.
    const QString text = m_queue.progressText();
    const QString first = text.section(u'\n', 0, 0);
    m_widgets.progressText.setText(first);
    m_widgets.progressText.setToolTip(PlainText::toolTip(text));
    m_widgets.progressText.setAccessibleName(progressName(first));
}

bool FolderToolControls::acceptsDrop(QEvent* event) const {
    return !droppedFolder(static_cast<QDropEvent*>(event)->mimeData()).isEmpty();
}

bool FolderToolControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_widgets.view) {
        // A hidden tool window is a closed one (the application keeps it); minimising is
        // spontaneous and leaves the walks alone.
        if (event->type() == QEvent::Hide && !event->spontaneous())
            m_queue.stopAll();
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (!acceptsDrop(event))
            return false;
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString folder = droppedFolder(drop->mimeData());
        if (folder.isEmpty())
            return false;
        m_widgets.folderText.setText(folder);
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}

} // namespace palvorn
