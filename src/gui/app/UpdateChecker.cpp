#include "gui/app/UpdateChecker.h"

#include "core/app/UpdateSchedule.h"
#include "core/platform/UpdateAlert.h"
#include "core/platform/Workspace.h"

#include <QNetworkReply>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// An update list is a few entries; anything far larger is not one and is not read to the end.
constexpr qint64 maxListSize = 1 << 20;

// The response's MIME type without parameters such as "; charset=utf-8". MIME types are
// case-insensitive, so it is compared in lower case.
QString mimeType(const QNetworkReply& reply) {
    const QString contentType = reply.header(QNetworkRequest::ContentTypeHeader).toString();
    return contentType.section(u';', 0, 0).trimmed().toLower();
}

} // namespace

UpdateChecker::UpdateChecker(QSettings& settings, UpdateAlert& alert, Workspace& workspace,
                             QAction* checkedItem, QUrl listUrl, QString runningVersion,
                             Clock clock, QObject* parent)
    : QObject(parent), m_settings(settings), m_alert(alert), m_workspace(workspace),
      m_checkedItem(checkedItem), m_listUrl(std::move(listUrl)),
      m_runningVersion(std::move(runningVersion)), m_clock(std::move(clock)) {}

void UpdateChecker::launch() {
    m_startedAt = UpdateSchedule::secondsSince2001(m_clock());
    if (!UpdateSchedule::apply(m_settings, m_startedAt)) {
        Q_EMIT finished();
        return;
    }
    if (m_runningVersion.isEmpty()) {
        // Asking again at the next launch would only repeat the alert.
        UpdateSchedule::recordCheck(m_settings, m_startedAt);
        m_alert.showUpdateError(UpdateList::noVersionError());
        Q_EMIT finished();
        return;
    }

    QNetworkRequest request(m_listUrl);
    request.setTransferTimeout(); // Qt's default of 30 s instead of waiting for ever
    QNetworkReply* reply = m_network.get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > maxListSize || total > maxListSize)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        handleReply(reply);
        Q_EMIT finished();
    });
}

void UpdateChecker::handleReply(QNetworkReply* reply) {
    // Any failure of the fetch ends the check silently.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString mime = mimeType(*reply);
    if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299 ||
        (mime != "text/xml"_L1 && mime != "text/plain"_L1))
        return;
    // The abort above may come too late when all of it arrived at once.
    const QByteArray data = reply->read(maxListSize + 1);
    if (data.size() > maxListSize)
        return;
    // The list came: the check is done, whatever it holds. Anything short of that (no network, a
    // page of a captive portal) is tried again at the next launch.
    UpdateSchedule::recordCheck(m_settings, m_startedAt);
    perform(UpdateList::evaluate(data, m_runningVersion));
}

void UpdateChecker::perform(const Result<UpdateList::Evaluation>& evaluation) {
    if (!evaluation)
        return m_alert.showUpdateError(evaluation.error().text());
    if (evaluation->entryFound && m_checkedItem && m_checkedItem->text() == notCheckedTitle()) {
        m_checkedItem->setCheckable(true);
        m_checkedItem->setChecked(true);
        m_checkedItem->setText(checkedTitle());
    }
    for (const UpdateList::Offer& offer : evaluation->offers) {
        if (m_alert.offerUpdate(offer.messageText, offer.informativeText))
            m_workspace.openURL(offer.url);
    }
}

} // namespace palvorn
