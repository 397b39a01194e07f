#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

// A quarantine event database below a home folder of the test's own, made and read with the
// real sqlite3 tool.
class QuarantineDatabase {
public:
    explicit QuarantineDatabase(const QString& home)
        : path(home +
               QStringLiteral("/Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2")) {
    }

    const QString path;

    void create() const {
        QDir().mkpath(QFileInfo(path).path());
        run(QStringLiteral(
            "CREATE TABLE LSQuarantineEvent (LSQuarantineEventIdentifier TEXT PRIMARY KEY NOT "
            "NULL, LSQuarantineTimeStamp REAL, LSQuarantineAgentBundleIdentifier TEXT, "
            "LSQuarantineAgentName TEXT, LSQuarantineDataURLString TEXT, LSQuarantineSenderName "
            "TEXT, LSQuarantineSenderAddress TEXT, LSQuarantineTypeNumber INTEGER, "
            "LSQuarantineOriginTitle TEXT, LSQuarantineOriginURLString TEXT, "
            "LSQuarantineOriginAlias BLOB);"));
    }

    // One "|"-separated line per row, in insertion order.
    QStringList rows() const {
        return run(QStringLiteral("SELECT * FROM LSQuarantineEvent ORDER BY rowid;"))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QString run(const QString& sql) const {
        QProcess tool;
        tool.start(QStringLiteral("/usr/bin/sqlite3"), {path, sql});
        EXPECT_TRUE(tool.waitForFinished());
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
};
