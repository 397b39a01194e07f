#include "gui/app/HelpView.h"

#include "core/app/AppResources.h"
#include "ui_HelpView.h"

#include <QMetaEnum>
#include <QPdfDocument>
#include <QPdfView>
#include <QShowEvent>

namespace palvorn {

HelpView::HelpView(ManualLookup manualLookup, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::HelpView>()),
      m_manualLookup(std::move(manualLookup)) {
    m_ui->setupUi(this);
}

HelpView::~HelpView() {
    // The view lets go of the document before the document goes.
    m_ui->helpPDFView->setDocument(nullptr);
}

std::optional<QString> HelpView::bundledManual() {
    return AppResources::pathForResource(QStringLiteral("palvornHelp"), QStringLiteral("pdf"));
}

QPdfView* HelpView::helpPDFView() const {
    return m_ui->helpPDFView;
}

void HelpView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        viewDidAppear();
}

void HelpView::viewDidAppear() {
    const std::optional<QString> path = m_manualLookup();
    // Without its manual the window stays blank: nothing the user could do about it.
    if (!path)
        return;
    auto document = std::make_unique<QPdfDocument>(nullptr);
    if (const QPdfDocument::Error error = document->load(*path);
        error != QPdfDocument::Error::None) {
        // A damaged manual is a fault of the installation; the window shows nothing then.
        qWarning("palvorn: the manual %s could not be read: %s", qPrintable(*path),
                 QMetaEnum::fromType<QPdfDocument::Error>().valueToKey(int(error)));
        document.reset();
    }
    m_ui->helpPDFView->setDocument(document.get());
    m_pdfDocument = std::move(document);
    m_ui->helpPDFView->setPageMode(QPdfView::PageMode::MultiPage);
    m_ui->helpPDFView->setZoomMode(QPdfView::ZoomMode::FitInView);
}

} // namespace palvorn
