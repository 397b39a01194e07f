#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace palvorn {

class WalkQueue;

// The controls the crawler and the stripper share around their walks. The start button starts a
// walk, and while walks run it is Stop for all of them; Enter in a field starts a further walk
// beside the running ones. Closing (hiding) the window stops every walk. The progress label and
// the spinner follow the walks a few times a second from a timer that reads the walks' counters,
// so a walk of a million items posts no event per item; the label's accessible name carries the
// same count, so that a screen reader follows it too. A folder dropped on the folder field fills
// it.
class FolderToolControls : public QObject {
    Q_OBJECT

public:
    struct Widgets {
        QWidget& view;
        QPushButton& startButton;
        QLineEdit& folderText;
        QList<QLineEdit*> fields; // Enter in any of them starts
        QProgressBar& spinner;
        QLabel& progressText;
        // A field that a start needs filled in (the stripper's type); none where any will do.
        QLineEdit* required = nullptr;
    };

    FolderToolControls(const Widgets& widgets, WalkQueue& queue, std::function<void()> start);

    static constexpr int refreshMsecs = 250;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startOrStop();
    void showRunning();
    void showProgress();
    // Start is offered only where it can start; Stop always.
    void enableStart();
    bool acceptsDrop(QEvent* event) const;

    Widgets m_widgets;
    WalkQueue& m_queue;
    std::function<void()> m_start;
    QString m_startTitle;
    QTimer m_refresh;
};

} // namespace palvorn
