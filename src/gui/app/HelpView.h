#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QWidget>

class QPdfDocument;
class QPdfView;

namespace Ui {
class HelpView;
}

namespace palvorn {

// The help window: shows the manual that is built with the application, palvornHelp.pdf,
// scaled to fit. The manual is read again each time the window is shown.
class HelpView : public QWidget {
    Q_OBJECT

public:
    // Where the manual is; none when it is missing.
    using ManualLookup = std::function<std::optional<QString>()>;

    explicit HelpView(ManualLookup manualLookup = &HelpView::bundledManual,
                                QWidget* parent = nullptr);
    ~HelpView() override;

    // The application's resource "palvornHelp" with extension "pdf".
    static std::optional<QString> bundledManual();

    Ui::HelpView& ui() const { return *m_ui; }
    // The loaded manual; none until the window is first shown, or while the manual is missing.
    QPdfDocument* pdfDocument() const { return m_pdfDocument.get(); }
    QPdfView* helpPDFView() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void viewDidAppear();

    std::unique_ptr<Ui::HelpView> m_ui;
    ManualLookup m_manualLookup;
    std::unique_ptr<QPdfDocument> m_pdfDocument;
};

} // namespace palvorn
