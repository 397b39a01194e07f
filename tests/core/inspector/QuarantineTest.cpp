#include "core/inspector/Quarantine.h"

#include "support/QuarantineDatabase.h"

#include <sys/stat.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString fixedUuid = u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"_s;

Quarantine fixedQuarantine(const QString& home, qint64 secondsSince1970) {
    Quarantine quarantine;
    quarantine.clock = [secondsSince1970] {
        return QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::UTC);
    };
    quarantine.uuid = [] { return QUuid::fromString(u"{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"_s); };
    quarantine.homePath = home;
    return quarantine;
}

} // namespace

TEST(QuarantineTest, TheValueCarriesTheClockAndTheUuid) {
    const struct {
        qint64 seconds;
        const char* field;
    } clock[] = {{1'765'000'000, "6933c340"}, {5, " 5"}, {0x1'0000'00ab, "ab"}, {-1, "ffffffff"}};
    for (const auto& c : clock)
        EXPECT_EQ(Quarantine::attributeValue(c.seconds, fixedUuid),
                  "0083;" + QByteArray(c.field) + ";palvorn.app;" + fixedUuid.toUtf8());

    // A stamp takes its clock and UUID; its event row is checked with the real tool below.
    EXPECT_EQ(fixedQuarantine({}, 1'765'000'000).makeStamp().value,
              "0083;6933c340;palvorn.app;" + fixedUuid.toUtf8());
}

// Without a database nothing is recorded and nothing is wrong; each failure says what went wrong,
// naming the stamped file and the database, and no database file appears where there was none.
// A database path that is no regular file (a FIFO would keep the tool waiting for ever) is
// refused. With the table in place each stamp is one row.
TEST(QuarantineTest, RecordsOneRowPerStampWithTheRealToolOrSaysWhyNot) {
    enum Outcome { Recorded, NoDatabase, Failed };
    QTemporaryDir home;
    const QuarantineDatabase database(home.path());
    const QString stamped = home.filePath(u"stamped"_s);
    const QString subject = u" (quarantine event for \u201c"_s + stamped + u"\u201d in \u201c"_s +
                            database.path + u"\u201d)"_s;
    const Quarantine quarantine = fixedQuarantine(home.path(), 1'765'000'000);
    const auto outcome = [&](const Quarantine& from, const QString& path = {}) {
        const Result<QString> event = from.recordEvent(from.makeStamp(), path);
        if (!event)
            return std::pair{Outcome::Failed, event.error().text()};
        return std::pair{event->isEmpty() ? Outcome::Recorded : Outcome::NoDatabase, *event};
    };
    QDir().mkpath(home.filePath(u"Library/Preferences"_s)); // where the tool would make one
    EXPECT_EQ(outcome(quarantine, stamped),
              std::pair(Outcome::NoDatabase,
                        u"The quarantine event database \u201c"_s + database.path +
                            u"\u201d does not exist, so no event was recorded for \u201c"_s +
                            stamped + u"\u201d."_s));
    EXPECT_FALSE(QFileInfo::exists(database.path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(database.path).constData(), 0600), 0);
    EXPECT_EQ(outcome(quarantine, stamped),
              std::pair(Outcome::Failed,
                        u"The quarantine event database \u201c"_s + database.path +
                            u"\u201d is not a regular file, so no event was recorded for \u201c"_s +
                            stamped + u"\u201d."_s));
    QFile::remove(database.path);
    QFile(database.path).open(QIODevice::WriteOnly); // an empty database file has no table
    EXPECT_EQ(outcome(quarantine, stamped),
              std::pair(Outcome::Failed, u"sqlite3 command returned error number 1"_s + subject));
    Quarantine noTool = fixedQuarantine(home.path(), 0);
    noTool.toolPath = home.filePath(u"no-such-tool"_s);
    const auto [kind, failure] = outcome(noTool, stamped);
    EXPECT_EQ(kind, Outcome::Failed);
    EXPECT_TRUE(failure.startsWith(u"could not start "_s + noTool.toolPath + u": "_s))
        << failure.toStdString();
    EXPECT_TRUE(failure.endsWith(subject)) << failure.toStdString();

    database.create();
    EXPECT_EQ(outcome(quarantine), std::pair(Outcome::Recorded, QString()));
    EXPECT_EQ(database.rows(),
              QStringList{fixedUuid + u"|786692800.0||palvorn.app|https://www.example.com/this/"
                                      "that.zip|||0||https://www.example.com|"_s});
    // The same UUID again breaks the table's key: the tool's status is what is reported.
    EXPECT_EQ(outcome(quarantine),
              std::pair(Outcome::Failed,
                        u"sqlite3 command returned error number 19"_s)); // SQLITE_CONSTRAINT
    Quarantine realClock;
    realClock.homePath = home.path();
    EXPECT_EQ(outcome(realClock).first, Outcome::Recorded);
    EXPECT_EQ(database.rows().size(), 2);
}
