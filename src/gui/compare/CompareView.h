#pragma once

#include "core/platform/Platform.h"

#include <memory>
#include <optional>

#include <QWidget>

class QLineEdit;

namespace Ui {
class CompareView;
}

namespace palvorn {

class QtOutputPane;

// The compare window: two chosen items and a report of how their attributes differ. An item is
// chosen with its Choose… button, by typing its path or by dropping it on the path field. Paths
// are bytes (see ByteText); a field shows its item's path as names are shown.
class CompareView : public QWidget {
    Q_OBJECT

public:
    explicit CompareView(Platform platform, QWidget* parent = nullptr);
    ~CompareView() override;

    Ui::CompareView& ui() const { return *m_ui; }
    const std::optional<QString>& firstPath() const { return m_firstPath; }
    const std::optional<QString>& secondPath() const { return m_secondPath; }

    void doChoose1Button();
    void doChoose2Button();
    // A field that names no item says why in the report pane, in place of the last report.
    void doCompareButton();
    // Saves the report pane, as the other tool windows save theirs.
    void saveButton();

    // Files and folders dropped on the path fields are taken as chosen.
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose(std::optional<QString>& path, QLineEdit& field);
    void setChosen(std::optional<QString>& path, QLineEdit& field, const QString& chosen);
    void takeTypedPath(std::optional<QString>& path, const QString& text);
    void takeDroppedItems(QLineEdit& field, const QStringList& paths);
    // The item of one side, or why there is none.
    std::optional<QString> itemOf(const std::optional<QString>& chosen, const QString& text,
                                  const QString& which, QString* refusal) const;

    std::unique_ptr<Ui::CompareView> m_ui;
    Platform m_platform;
    std::unique_ptr<QtOutputPane> m_report;
    std::optional<QString> m_firstPath;
    std::optional<QString> m_secondPath;
};

} // namespace palvorn
