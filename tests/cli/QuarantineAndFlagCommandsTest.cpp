#include "model/XattrAccess.h"
#include "support/CliFixture.h"
#include "support/QuarantineDatabase.h"

using namespace Qt::Literals::StringLiterals;

using QuarantineAndFlagCommandsTest = CliFixture;

// The value and the row are the core's (tested there with the real sqlite3); here the command
// finds the database below HOME, replaces the old stamp, and fails when it cannot record.
TEST_F(QuarantineAndFlagCommandsTest, QuarantineWritesTheAttributeAndOneMatchingRow) {
    QTemporaryDir home;
    const QString file = makeFile(u"download.zip"_s);
    setRaw(file, "user.com.apple.quarantine", "0081;old;Safari;");
    const CliResult noDatabase = runCli({u"quarantine"_s, file}, {}, {u"HOME="_s + home.path()});
    EXPECT_EQ(noDatabase.exitCode, 1);
    EXPECT_TRUE(noDatabase.err.endsWith(u"does not exist, so no event was recorded for \u201c"_s +
                                        file + u"\u201d.\n"_s))
        << noDatabase.err.toStdString();
    EXPECT_TRUE(getRaw(file, "user.com.apple.quarantine").startsWith("0083;"));

    const QuarantineDatabase database(home.path());
    database.create();
    const CliResult result = runCli({u"quarantine"_s, file}, {}, {u"HOME="_s + home.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> fields = getRaw(file, "user.com.apple.quarantine").split(';');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields.at(2), "palvorn.app");
    ASSERT_EQ(database.rows().size(), 1);
    EXPECT_EQ(database.rows().first().section(u'|', 0, 0), QString::fromLatin1(fields.at(3)));
    EXPECT_EQ(palvorn::listXattrs(palvorn::nativePath(file)).count("user.com.apple.quarantine"), 1);
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
