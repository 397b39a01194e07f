#include "app/UpdateSchedule.h"

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// The settings live in a real file, reopened for every launch as a new run of the app would.
class UpdateScheduleTest : public ::testing::Test {
protected:
    std::unique_ptr<QSettings> settings() {
        return std::make_unique<QSettings>(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
    }
    bool launchAt(double now) { return UpdateSchedule::apply(*settings(), now); }
    QVariant stored(const QString& key) { return settings()->value(key); }
    void store(const QString& key, const QVariant& value) { settings()->setValue(key, value); }

    QTemporaryDir dir;
    // 2024-03-01 09:30:00 UTC
    const double launchTime = 730'978'200.0;
};

} // namespace

TEST(UpdateScheduleClockTest, CountsSecondsFromTheStartOf2001Utc) {
    EXPECT_EQ(UpdateSchedule::secondsSince2001(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)),
              0.0);
    EXPECT_EQ(UpdateSchedule::secondsSince2001(
                  QDateTime(QDate(2024, 3, 1), QTime(10, 30, 0, 500), QTimeZone(3600))),
              730'978'200.5);
    EXPECT_EQ(
        UpdateSchedule::secondsSince2001(QDateTime(QDate(2000, 12, 31), QTime(0, 0), Qt::UTC)),
        -86400.0);
}

// The first launch checks and stores its time and the defaults; the next check waits until the
// interval has been exceeded. Turned off, it never checks, yet writes both settings back; a
// damaged last date does not stop the checks for good.
TEST_F(UpdateScheduleTest, ChecksOnTheFirstLaunchAndAgainOnceTheIntervalHasPassed) {
    EXPECT_TRUE(launchAt(launchTime));
    EXPECT_EQ(stored(u"updateCheckInt"_s).toDouble(), 43200.0);
    EXPECT_TRUE(settings()->contains(u"noUpdateCheck"_s));
    EXPECT_FALSE(stored(u"noUpdateCheck"_s).toBool());
    EXPECT_FALSE(launchAt(launchTime + 43200));
    EXPECT_EQ(stored(u"dateLastUpdateCheck"_s).toDouble(), launchTime);
    EXPECT_TRUE(launchAt(launchTime + 43201));
    EXPECT_EQ(stored(u"dateLastUpdateCheck"_s).toDouble(), launchTime + 43201);

    store(u"noUpdateCheck"_s, true);
    store(u"updateCheckInt"_s, 0.25);
    EXPECT_FALSE(launchAt(launchTime + 10 * 43200));
    EXPECT_EQ(stored(u"dateLastUpdateCheck"_s).toDouble(), launchTime + 43201);
    EXPECT_EQ(stored(u"noUpdateCheck"_s).toBool(), true);
    EXPECT_EQ(stored(u"updateCheckInt"_s).toDouble(), 43200.0);

    store(u"noUpdateCheck"_s, false);
    store(u"dateLastUpdateCheck"_s, u"nan"_s);
    EXPECT_TRUE(launchAt(launchTime));
    EXPECT_EQ(stored(u"dateLastUpdateCheck"_s).toDouble(), launchTime);
}

TEST_F(UpdateScheduleTest, IntervalsBelowOneSecondMeanTwelveHoursAndOthersAreKept) {
    for (const auto& [inSettings, inEffect] : {std::pair{0.5, 43200.0}, std::pair{1.0, 1.0}}) {
        store(u"updateCheckInt"_s, inSettings);
        store(u"dateLastUpdateCheck"_s, launchTime);
        EXPECT_FALSE(launchAt(launchTime + inEffect)) << inSettings;
        EXPECT_EQ(stored(u"updateCheckInt"_s).toDouble(), inEffect) << inSettings;
        EXPECT_TRUE(launchAt(launchTime + inEffect + 1)) << inSettings;
    }
}
