#pragma once

#include "core/platform/Platform.h"

#include <memory>

#include <QWidget>

namespace Ui {
class StripperView;
}

namespace palvorn {

class Confirmation;
class QtOutputPane;
class WalkQueue;

// The stripper window: removes one attribute name from everything below a folder, in the
// background, and shows what it removed.
class StripperView : public QWidget {
    Q_OBJECT

public:
    explicit StripperView(Platform platform, QWidget* parent = nullptr);
    ~StripperView() override;

    Ui::StripperView& ui() const { return *m_ui; }
    WalkQueue& processingQueue() const { return *m_processingQueue; }

    void startStripButton();
    void saveButton();

    // Where "Keep a restore file" puts its files: "palvorn-restore-files" beside the settings file.
    static QString restoreFolder();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void confirmRun(const QString& folderPath, const QString& type);
    void startRun(const QString& folderPath, const QString& type);

    std::unique_ptr<Ui::StripperView> m_ui;
    Platform m_platform;
    std::unique_ptr<Confirmation> m_ownConfirmation; // where the platform gives none
    std::unique_ptr<QtOutputPane> m_output;
    WalkQueue* m_processingQueue;
};

} // namespace palvorn
