#include "cli/CliRunner.h"
#include "model/XattrAccess.h"
#include "support/QuarantineDatabase.h"
#include "support/XattrFixture.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

class QuarantineAndFlagCommandsTest : public XattrFixture {};

// The attribute as another program reads it.
QString getfattrValue(const QString& file, const QString& name) {
    QProcess getfattr;
    getfattr.start(u"getfattr"_s, {u"--only-values"_s, u"-n"_s, name, file});
    EXPECT_TRUE(getfattr.waitForFinished());
    return QString::fromUtf8(getfattr.readAllStandardOutput());
}

} // namespace

TEST_F(QuarantineAndFlagCommandsTest, QuarantineWritesTheAttributeAndOneMatchingRow) {
    QTemporaryDir home;
    const QuarantineDatabase database(home.path());
    database.create();
    const QString file = makeFile(u"download.zip"_s);
    setRaw(file, "user.com.apple.quarantine", "0081;old;Safari;");

    for (int stamp = 1; stamp <= 2; ++stamp) {
        const qint64 before = QDateTime::currentSecsSinceEpoch() - 978'307'200;
        const CliResult result = runCliWith({u"HOME="_s + home.path()}, {u"quarantine"_s, file});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();

        const QStringList fields = getfattrValue(file, u"user.com.apple.quarantine"_s).split(u';');
        ASSERT_EQ(fields.size(), 4);
        EXPECT_EQ(fields.at(0), u"0083"_s);
        EXPECT_EQ(fields.at(2), u"palvorn.app"_s);
        const QStringList rows = database.rows();
        ASSERT_EQ(rows.size(), stamp);
        const QStringList row = rows.last().split(u'|');
        EXPECT_EQ(row.at(0), fields.at(3)); // the same UUID text, the same case
        EXPECT_EQ(row.at(0), row.at(0).toUpper());
        EXPECT_GE(row.at(1).toDouble(), before); // seconds since 2001
        EXPECT_LE(row.at(1).toDouble(), before + 60);
    }
    EXPECT_EQ(palvorn::listXattrs(palvorn::nativePath(file)).count("user.com.apple.quarantine"), 1);
}

TEST_F(QuarantineAndFlagCommandsTest, AMissingDatabaseLeavesTheAttributeWritten) {
    QTemporaryDir home;
    const QString file = makeFile(u"f"_s);
    const CliResult result = runCliWith({u"HOME="_s + home.path()}, {u"quarantine"_s, file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.endsWith(u"does not exist, so no event was recorded for \u201c"_s +
                                    file + u"\u201d.\n"_s))
        << result.err.toStdString();
    EXPECT_TRUE(getRaw(file, "user.com.apple.quarantine").startsWith("0083;"));
}

TEST_F(QuarantineAndFlagCommandsTest, FlagAddAndStrip) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "1");
    setRaw(file, "user.b#X", "2");
    EXPECT_EQ(runCli({u"flag"_s, u"add"_s, file, u"S"_s, u"user.a"_s, u"user.b#X"_s}).exitCode, 0);
    EXPECT_EQ(getRaw(file, "user.a#S"), "1");
    EXPECT_EQ(getRaw(file, "user.b#X#S"), "2");
    const CliResult strip =
        runCli({u"flag"_s, u"strip"_s, file, u"user.b#X#S"_s, u"user.none#Q"_s});
    EXPECT_EQ(strip.exitCode, 1);
    EXPECT_EQ(strip.err, u"Flags stripped, renamed to \u201cuser.b\u201d"_s +
                             subject(file, u"user.b#X#S"_s) +
                             u"\nCan't strip flags: No data available"_s +
                             subject(file, u"user.none#Q"_s) + u'\n');
    EXPECT_EQ(getRaw(file, "user.b"), "2");
    EXPECT_EQ(runCli({u"flag"_s, u"rename"_s, file, u"user.a#S"_s}).exitCode, 2);
    EXPECT_EQ(runCli({u"flag"_s, u"add"_s, file, u"S"_s}).exitCode, 2);
}
