#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// Shared by the property-list tests.
namespace plisttest {

// A calendar time as the seconds since 2001-01-01 UTC that property-list dates hold.
inline double secondsSince2001(int year, int month, int day, int hour, int minute, int second) {
    const QDateTime when(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
    return double(when.toSecsSinceEpoch() - 978'307'200);
}

// Runs Python's plistlib as an independent implementation; empty when python3 is unavailable.
inline QByteArray python(const QString& script, const QByteArray& input = {}) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (program.isEmpty())
        return {};
    QProcess process;
    process.start(program, {QStringLiteral("-c"), script});
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(20'000);
    return process.readAllStandardOutput();
}

} // namespace plisttest
