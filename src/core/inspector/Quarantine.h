#pragma once

#include "core/model/Error.h"

#include <functional>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

namespace palvorn {

// Marks a file as downloaded: the quarantine attribute, and a matching row in the user's
// quarantine event database written by the system's sqlite3 tool. The clock, the UUIDs, the tool
// and the home folder are seams, so tests can fix them.
class Quarantine {
public:
    struct Stamp {
        QString uuid;     // upper case, as in the attribute and the event row
        QByteArray value; // the attribute's value
    };

    static QString attributeName() { return QStringLiteral("com.apple.quarantine"); }
    static QString downloadAddress() {
        return QStringLiteral("https://www.example.com/this/that.zip");
    }
    static QString originAddress() { return QStringLiteral("https://www.example.com"); }

    // "0083;" + the low 32 bits of the seconds since 1970 as "%2x" + ";palvorn.app;" + the UUID.
    static QByteArray attributeValue(qint64 secondsSince1970, const QString& uuid);
    static QString insertStatement(const QString& uuid, qint64 secondsSince2001);
    static QString databasePath(const QString& home);

    Stamp makeStamp() const;
    // Inserts the event row for the stamp. A failure is the tool's exit status ("sqlite3 command
    // returned error number N"), or why it did not run. The tool would create a missing database
    // as an empty file, and would wait for ever on a FIFO, so it runs only on a regular file.
    // Either way no row was recorded, and the error's text (its own: it names the stamped file,
    // when given, and the database) says why. A system without an event database (every one but
    // macOS) records none, which is no failure: the stamp itself was written, and the value is a
    // note saying so; empty when the row was recorded.
    Result<QString> recordEvent(const Stamp& stamp, const QString& stampedPath = {}) const;

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };
    std::function<QUuid()> uuid = [] { return QUuid::createUuid(); };
    QString toolPath = QStringLiteral("/usr/bin/sqlite3");
    // Empty: the user's home folder at the time of the call.
    QString homePath;
};

} // namespace palvorn
