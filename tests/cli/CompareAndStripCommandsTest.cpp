#include "support/CliFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

using CompareAndStripCommandsTest = CliFixture;

// Listing needs no read permission, reading a user value does: as another user the comparison
// stops at the first shared name. A failing comparison keeps its header.
TEST_F(CompareAndStripCommandsTest, CompareExampleAndErrors) {
    const QString a = makeFile(u"a"_s);
    setRaw(a, "user.x", "1");
    const CliResult same = runCli({u"compare"_s, a, a});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, u"Comparing "_s + a + u" with "_s + a + u" :\nuser.x are the same\n"_s);

    const CliResult missing = runCli({u"compare"_s, a, pathOf(u"missing"_s)});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, u"Comparing "_s + a + u" with "_s + pathOf(u"missing"_s) + u" :\n"_s);
    EXPECT_EQ(missing.err, u"compare error: No such file or directory"_s +
                               subject(pathOf(u"missing"_s)) + u'\n');

    const QString unreadable = makeSharedFile(u"write-only"_s);
    const QString readable = makeSharedFile(u"readable"_s);
    setRaw(unreadable, "user.shared", "1");
    setRaw(readable, "user.shared", "1");
    QFile::setPermissions(unreadable, QFile::WriteOwner | QFile::WriteOther);
    QFile::setPermissions(readable, QFile::ReadOwner | QFile::ReadOther);
    const CliResult denied = runCliUnprivileged({u"compare"_s, unreadable, readable});
    EXPECT_EQ(denied.exitCode, 1);
    EXPECT_EQ(denied.out, u"Comparing "_s + unreadable + u" with "_s + readable + u" :\n"_s);
    EXPECT_EQ(denied.err, u"compare error: Permission denied"_s +
                              subject(unreadable, u"user.shared"_s) + u'\n');
}

TEST_F(CompareAndStripCommandsTest, CrawlPrintsEachWalksReport) {
    const QString root = makeFolder(u"crawl"_s);
    setRaw(makeFile(u"crawl/a"_s), "user.t", "1234");
    const QString head = u"Found 1 files with xattrs out of 1 scanned in "_s + root;
    const struct {
        QStringList options;
        QString out;
    } cases[] = {
        {{},
         head + u" 1 total xattrs.\nThere are 1 Xattr types\n\nuser.t in "_s + root +
             u"/a count 1:\n<31323334>\n\u00ab1234\u00bb\n\n"_s},
        {{u"--type"_s, u"t"_s, u"--show-size"_s},
         head + u" 1 total xattrs, and 1 of type t\n\n"_s + root + u"/a: 4  bytes.\n"_s},
        {{u"--totals"_s, u"--type"_s, u"t"_s},
         head + u"\nTotal size of xattrs 4 bytes.\nAverage size of xattrs 4 bytes per file with "
                u"xattrs, 4 bytes per file over all files.\n"_s},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(QStringList{u"crawl"_s, root} + c.options);
        EXPECT_EQ(result.exitCode, 0) << c.options.join(u' ').toStdString();
        EXPECT_EQ(result.out, c.out) << c.options.join(u' ').toStdString();
    }
    EXPECT_EQ(runCli({u"crawl"_s, root, u"--show-size"_s}).exitCode, 2);
    const CliResult missing = runCli({u"crawl"_s, pathOf(u"missing"_s)});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, pathOf(u"missing"_s) + u": No such file or directory\n"_s);
}

// A folder that cannot be read is one error line, PATH: REASON, on standard error as it happens
// and at the end of the report; the rest is walked and the command fails. Standard error is no
// terminal here, so it carries no progress line.
TEST_F(CompareAndStripCommandsTest, ErrorLinesNameTheirItemAndEndTheReport) {
    const QString closed = sharedPath(u"closed"_s);
    ASSERT_TRUE(QDir().mkdir(closed));
    setRaw(makeSharedFile(u"a"_s), "user.t", "1234");
    QFile::setPermissions(closed, {});
    const CliResult result = runCliUnprivileged({u"crawl"_s, sharedPath({}), u"--totals"_s});
    QFile::setPermissions(closed, openToOthers);
    const QString line = closed + u": Permission denied"_s;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, line + u"\n"_s);
    EXPECT_TRUE(result.out.startsWith(u"Found 1 files with xattrs out of 2 scanned in "_s));
    EXPECT_TRUE(result.out.endsWith(
        u" bytes per file over all files.\n\n1 items could not be read:\n"_s + line + u"\n"_s))
        << result.out.toStdString();
}

// Paths are bytes: a folder whose name is not UTF-8 is walked and stripped, and shown with \xHH.
TEST_F(CompareAndStripCommandsTest, StripExampleAndErrors) {
    const QByteArray root = QFile::encodeName(makeFolder(u"tree"_s)) + "/bad\xff";
    ASSERT_EQ(::mkdir(root.constData(), 0755), 0);
    const QByteArray file = root + "/f\xfe";
    ASSERT_EQ(::close(::creat(file.constData(), 0644)), 0);
    ASSERT_EQ(::setxattr(file.constData(), "user.t", "12", 2, 0), 0);
    ASSERT_EQ(::setxattr(file.constData(), "user.tt", "1", 1, 0), 0);
    const QString shown = pathOf(u"tree"_s) + u"/bad\\xff"_s;
    const CliResult result = runCliBytes({"strip", root, "t"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, u"Stripped 1 xattrs of type t from 1 files in  "_s + shown + u"\n\n"_s +
                              shown + u"/f\\xfe: 2  bytes.\n"_s);
    EXPECT_LT(::getxattr(file.constData(), "user.t", nullptr, 0), 0);
    EXPECT_EQ(::getxattr(file.constData(), "user.tt", nullptr, 0), 1);

    EXPECT_EQ(runCli({u"strip"_s, pathOf(u"tree"_s), u""_s}).exitCode, 2);
    const CliResult missing = runCli({u"strip"_s, pathOf(u"missing"_s), u"t"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, pathOf(u"missing"_s) + u": No such file or directory\n"_s);
}

// Ctrl-C stops a strip at its next item and the report says so. The signal is made pending
// before the program starts (blocked, raised, then exec), so it arrives as the walk begins.
TEST_F(CompareAndStripCommandsTest, AnInterruptedStripReportsWhereItStopped) {
    const QString root = makeFolder(u"tree"_s);
    const QString file = makeFile(u"tree/f"_s);
    setRaw(file, "user.t", "1");
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s, uR"(
import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT})
os.kill(os.getpid(), signal.SIGINT)
os.execv(sys.argv[1], sys.argv[1:])
)"_s,
                                QStringLiteral(PALVORN_CLI_PATH), u"strip"_s, root, u"t"_s});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + root +
                  u"\n\n\nStopped before the end of the walk: 0 xattrs stripped from 0 files up "
                  u"to then; the items after them were left as they were.\n"_s);
    EXPECT_TRUE(hasRaw(file, "user.t"));
}
