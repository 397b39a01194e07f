#pragma once

#include "core/platform/UpdateAlert.h"

#include <QList>
#include <QStringList>

namespace palvorn {

// Stand-in for tests: remembers the errors and offers instead of showing them, and answers every
// offer with the preset choice (at first "Ignore").
class RecordingUpdateAlert : public UpdateAlert {
public:
    struct Offer {
        QString messageText;
        QString informativeText;
        friend bool operator==(const Offer&, const Offer&) = default;
    };

    void answerOffersWith(bool download) { m_download = download; }
    void showUpdateError(const QString& informativeText) override;
    bool offerUpdate(const QString& messageText, const QString& informativeText) override;

    const QStringList& errors() const { return m_errors; }
    const QList<Offer>& offers() const { return m_offers; }

private:
    bool m_download = false;
    QStringList m_errors;
    QList<Offer> m_offers;
};

} // namespace palvorn
