#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QWidget>

class QPdfDocument;
class QPdfView;

namespace Ui {
class HelpViewController;
}

namespace palvorn {

// The help window: shows the manual that is built with the application, palvornHelp.pdf,
// scaled to fit. The manual is read again each time the window is shown.
class HelpViewController : public QWidget {
    Q_OBJECT

public:
    // Where the manual is; none when it is missing.
    using ManualLookup = std::function<std::optional<QString>()>;

    explicit HelpViewController(ManualLookup manualLookup = &HelpViewController::bundledManual,
                                QWidget* parent = nullptr);
    ~HelpViewController() override;

    // The application's resource "palvornHelp" with extension "pdf".
    static std::optional<QString> bundledManual();

    Ui::HelpViewController& ui() const { return *m_ui; }
    // The loaded manual; none until the window is first shown, or while the manual is missing.
    QPdfDocument* thePDFDocument() const { return m_thePDFDocument.get(); }
    QPdfView* helpPDFView() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void viewDidAppear();

    std::unique_ptr<Ui::HelpViewController> m_ui;
    ManualLookup m_manualLookup;
    std::unique_ptr<QPdfDocument> m_thePDFDocument;
};

} // namespace palvorn
