#pragma once

#include "core/app/PublisherSite.h"
#include "core/app/UpdateList.h"

#include <functional>

#include <QAction>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkReply;
class QSettings;

namespace palvorn {

class UpdateAlert;
class Workspace;

// The launch-time update check: applies the schedule, fetches the update list without blocking,
// and on the main thread marks the help menu's item and offers each newer (or older) version.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // checkedItem: the shared "Update not checked" action, retitled once this application's entry
    // is found; may be null.
    UpdateChecker(QSettings& settings, UpdateAlert& alert, Workspace& workspace,
                  QAction* checkedItem, QUrl listUrl = QUrl(PublisherSite::listAddress),
                  QString runningVersion = QStringLiteral(PALVORN_VERSION),
                  Clock clock = &QDateTime::currentDateTimeUtc, QObject* parent = nullptr);

    // The titles of the Help menu's mark before and after this application's entry was found.
    static QString notCheckedTitle() { return QStringLiteral("Update not checked"); }
    static QString checkedTitle() { return QStringLiteral("Checked for update"); }

    // Called once at launch. Returns at once; the check, when due, goes on in the background. Only
    // a check that got the list counts as made: without network it is tried at the next launch.
    void launch();

Q_SIGNALS:
    // A check is over, whatever its outcome; emitted once per launch(), before launch() returns
    // when no request is made.
    void finished();

private:
    void handleReply(QNetworkReply* reply);
    void perform(const Result<UpdateList::Evaluation>& evaluation);

    QSettings& m_settings;
    UpdateAlert& m_alert;
    Workspace& m_workspace;
    QPointer<QAction> m_checkedItem; // the menus may go first
    QUrl m_listUrl;
    QString m_runningVersion;
    Clock m_clock;
    double m_startedAt = 0; // seconds since 2001, stored once the check completed
    // Last, so that pending replies go before the state they report to.
    QNetworkAccessManager m_network;
};

} // namespace palvorn
