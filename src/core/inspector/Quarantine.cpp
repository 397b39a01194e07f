#include "core/inspector/Quarantine.h"

#include "core/model/AttributeName.h"
#include "core/model/Error.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <sys/stat.h>

#include <QDir>
#include <QProcess>

namespace palvorn {

namespace {

// 2001-01-01 00:00:00 UTC, the epoch of the event database's times.
constexpr qint64 referenceDateSince1970 = 978'307'200;

qint64 wholeSecondsSince1970(const QDateTime& when) {
    // Truncated toward zero, as dropping the fraction does.
    const qint64 msecs = when.toMSecsSinceEpoch();
    return msecs / 1000;
}

} // namespace

QByteArray Quarantine::attributeValue(qint64 secondsSince1970, const QString& uuid) {
    const auto low32 = static_cast<quint32>(static_cast<quint64>(secondsSince1970) & 0xFFFF'FFFFu);
    return QStringLiteral("0083;%1;palvorn.app;%2")
        .arg(QString::asprintf("%2x", low32), uuid)
        .toUtf8();
}

QString Quarantine::insertStatement(const QString& uuid, qint64 secondsSince2001) {
    return QStringLiteral("INSERT INTO \"LSQuarantineEvent\" VALUES('") + uuid +
           QStringLiteral("',") + QString::number(secondsSince2001) +
           QStringLiteral(",NULL,'palvorn.app','") + downloadAddress() +
           QStringLiteral("',NULL,NULL,0,NULL,'") + originAddress() + QStringLiteral("',NULL);");
}

QString Quarantine::databasePath(const QString& home) {
    return home +
           QStringLiteral("/Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2");
}

Quarantine::Stamp Quarantine::makeStamp() const {
    const QString text = uuid().toString(QUuid::WithoutBraces).toUpper();
    return {text, attributeValue(wholeSecondsSince1970(clock()), text)};
}

Result<QString> Quarantine::recordEvent(const Stamp& stamp, const QString& stampedPath) const {
    const QString home = homePath.isEmpty() ? QDir::homePath() : homePath;
    const QString database = databasePath(home);
    const QString shownDatabase = displayName(nativePath(database));
    const QString stamped = stampedPath.isEmpty()
                                ? QString()
                                : u'\u201c' + displayName(nativePath(stampedPath)) + u'\u201d';
    const QString forStamped = stamped.isEmpty() ? QString() : QStringLiteral(" for ") + stamped;
    const QString quotedDatabase = u'\u201c' + shownDatabase + u'\u201d';
    struct stat status = {};
    if (::stat(nativePath(database).constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("The quarantine event database ") + quotedDatabase +
                   QStringLiteral(" does not exist, so no event was recorded") + forStamped + u'.';
        return failure(Error({},
                             QStringLiteral("The quarantine event database ") + quotedDatabase +
                                 QStringLiteral(" cannot be reached (") + Error::describe(errno) +
                                 QStringLiteral("), so no event was recorded") + forStamped + u'.',
                             {}));
    }
    if (!S_ISREG(status.st_mode))
        return failure(
            Error({},
                  QStringLiteral("The quarantine event database ") + quotedDatabase +
                      QStringLiteral(" is not a regular file, so no event was recorded") +
                      forStamped + u'.',
                  {}));
    // Each failure of the tool names the stamped file and the database it was meant for.
    const auto failed = [&](const QString& reason) {
        if (stamped.isEmpty())
            return failure(Error({}, reason, {}));
        return failure(Error({},
                             reason + QStringLiteral(" (quarantine event for ") + stamped +
                                 QStringLiteral(" in ") + quotedDatabase + u')',
                             {}));
    };
    const qint64 secondsSince2001 = wholeSecondsSince1970(clock()) - referenceDateSince1970;
    QProcess tool;
    // The tool speaks to the user directly, as it would from a terminal.
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.setInputChannelMode(QProcess::ForwardedInputChannel);
    tool.start(toolPath, {database, insertStatement(stamp.uuid, secondsSince2001)});
    if (!tool.waitForStarted(-1))
        return failed(QStringLiteral("could not start ") + toolPath + QStringLiteral(": ") +
                      tool.errorString());
    tool.waitForFinished(-1);
    if (tool.exitStatus() != QProcess::NormalExit)
        return failed(toolPath + QStringLiteral(" ended abnormally: ") + tool.errorString());
    if (tool.exitCode() != 0)
        return failed(
            QStringLiteral("sqlite3 command returned error number %1").arg(tool.exitCode()));
    return QString();
}

} // namespace palvorn
