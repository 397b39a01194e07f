#include "core/app/UpdateSchedule.h"

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(UpdateScheduleClockTest, CountsSecondsFromTheStartOf2001Utc) {
    for (const auto& [time, seconds] :
         {std::pair{QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC), 0.0},
          std::pair{QDateTime(QDate(2024, 3, 1), QTime(10, 30, 0, 500), QTimeZone(3600)),
                    730'978'200.5},
          std::pair{QDateTime(QDate(2000, 12, 31), QTime(0, 0), Qt::UTC), -86400.0}})
        EXPECT_EQ(UpdateSchedule::secondsSince2001(time), seconds) << seconds;
}

// The first launch checks and its time is stored once the check completed; a check that did not
// complete (no network) is made again at the next launch; the next check waits until the interval
// has been exceeded; an interval below one second means twelve hours. Turned off, it never
// checks, yet writes both settings back; a damaged last date does not stop the checks for good.
// The settings live in a real file, reopened for every launch as a new run of the app would.
TEST(UpdateScheduleTest, ChecksOnTheFirstLaunchAndAgainOnceTheIntervalHasPassed) {
    QTemporaryDir dir;
    const auto settings = [&dir] {
        return std::make_unique<QSettings>(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
    };
    const struct {
        QVariantMap changes; // made before the launch
        double now;
        bool checks;
        bool completes; // the list was fetched
        QString stored; // noUpdateCheck, updateCheckInt, dateLastUpdateCheck
    } launches[] = {
        {{}, 100'000, true, false, u"false 43200 "_s},
        {{}, 100'001, true, true, u"false 43200 100001"_s},
        {{}, 143'201, false, true, u"false 43200 100001"_s},
        {{}, 143'202, true, true, u"false 43200 143202"_s},
        {{{u"updateCheckInt"_s, 0.5}}, 186'402, false, true, u"false 43200 143202"_s},
        {{{u"updateCheckInt"_s, 1}}, 143'203, false, true, u"false 1 143202"_s},
        {{}, 143'204, true, true, u"false 1 143204"_s},
        {{{u"noUpdateCheck"_s, true}, {u"updateCheckInt"_s, 0.25}},
         1e6,
         false,
         true,
         u"true 43200 143204"_s},
        {{{u"noUpdateCheck"_s, false}, {u"dateLastUpdateCheck"_s, u"nan"_s}},
         100'001,
         true,
         true,
         u"false 43200 100001"_s},
    };
    for (const auto& launch : launches) {
        for (auto [key, value] : launch.changes.asKeyValueRange())
            settings()->setValue(key, value);
        const bool checks = UpdateSchedule::apply(*settings(), launch.now);
        EXPECT_EQ(checks, launch.checks) << launch.now;
        if (checks && launch.completes)
            UpdateSchedule::recordCheck(*settings(), launch.now);
        QStringList stored;
        for (const char* key : {"noUpdateCheck", "updateCheckInt", "dateLastUpdateCheck"})
            stored.append(settings()->value(QLatin1StringView(key)).toString());
        EXPECT_EQ(stored.join(u' '), launch.stored) << launch.now;
    }
}
