#include "support/CliFixture.h"

#include <unistd.h>

#include <QDir>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

using DumpRestoreCommandsTest = CliFixture;

TEST_F(DumpRestoreCommandsTest, DumpDefaultsToLosslessBase64AndRefusesUnknownEncodings) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", QByteArray("a\0", 2));
    EXPECT_EQ(runCli({u"dump"_s, file}).out, u"# file: "_s + file + u"\nuser.a=0sYQA=\n\n"_s);
    const CliResult refused = runCli({u"dump"_s, u"--encoding"_s, u"octal"_s, file});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(u"unknown encoding 'octal'"_s)) << refused.err.toStdString();
    EXPECT_EQ(runCli({u"dump"_s}).exitCode, 2);
}

TEST_F(DumpRestoreCommandsTest, RestoreReadsStandardInputOrAFileAndReportsWhatFailed) {
    const QString file = makeFile(u"target"_s);
    const QByteArray dump =
        "# file: " + QFile::encodeName(file) + "\nuser.a=\"1\"\nuser.b=0xz\nuser.c=0s\n";
    const CliResult fromInput = runCli({u"restore"_s, u"-"_s}, dump);
    EXPECT_EQ(fromInput.exitCode, 1);
    EXPECT_EQ(fromInput.err,
              u"standard input:3: "_s + file +
                  u": user.b: the value is not valid 0x hexadecimal or 0s base64\n"_s);
    EXPECT_EQ(getRaw(file, "user.a"), "1");
    EXPECT_TRUE(hasRaw(file, "user.c"));

    const QString saved =
        makeFile(u"backup.dump"_s, "# file: " + QFile::encodeName(file) + "\nuser.d=4\n");
    const CliResult fromFile = runCli({u"restore"_s, saved});
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
    EXPECT_EQ(getRaw(file, "user.d"), "4");

    const CliResult noDump = runCli({u"restore"_s, pathOf(u"no-such.dump"_s)});
    EXPECT_EQ(noDump.exitCode, 1);
    EXPECT_TRUE(noDump.err.startsWith(pathOf(u"no-such.dump"_s) + u": "_s))
        << noDump.err.toStdString();
}

// As another user: the folder it may not open is reported, its siblings dumped, and what is
// printed is still getfattr's output byte for byte.
TEST_F(DumpRestoreCommandsTest, AnUnreadableFolderIsReportedAndItsSiblingsDumped) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to another user";
    const QString tree = sharedPath(u"tree"_s);
    const QString closed = tree + u"/closed"_s;
    ASSERT_TRUE(QDir().mkpath(closed));
    QFile::setPermissions(tree, openToOthers);
    setRaw(makeSharedFile(u"tree/open"_s), "user.o", "1");
    setRaw(makeSharedFile(u"tree/closed/hidden"_s), "user.h", "1");
    QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const CliResult ours =
        runCliUnprivileged({u"dump"_s, u"-R"_s, u"--encoding"_s, u"text"_s, tree});
    QProcess getfattr;
    getfattr.start(u"setpriv"_s, {u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s,
                                  u"getfattr"_s, u"-R"_s, u"-P"_s, u"-h"_s, u"-d"_s, u"-m"_s,
                                  u"-"_s, u"--absolute-names"_s, u"-e"_s, u"text"_s, tree});
    ASSERT_TRUE(getfattr.waitForFinished(30000));
    EXPECT_EQ(ours.exitCode, 1);
    EXPECT_TRUE(ours.err.contains(closed + u": Permission denied\n"_s)) << ours.err.toStdString();
    EXPECT_TRUE(ours.out.contains(u"user.o=\"1\""_s));
    EXPECT_EQ(ours.out, QString::fromUtf8(getfattr.readAllStandardOutput()));
}

TEST_F(DumpRestoreCommandsTest, AStripWithARestoreFileIsUndoneByRestore) {
    const QString root = makeFolder(u"tree/sub"_s).chopped(4);
    const QList<std::pair<QString, QByteArray>> values = {
        {u"tree/a"_s, {}},
        {u"tree/sub/b"_s, QByteArray("nul\0and\nbreak\xff", 15)},
        {u"tree/sub"_s, "folder"},
    };
    for (const auto& [path, value] : values) {
        if (!path.endsWith(u"sub"_s))
            makeFile(path);
        setRaw(pathOf(path), "user.t", value);
        setRaw(pathOf(path), "user.keep", "k");
    }
    const QString backup = pathOf(u"strip.dump"_s);
    const CliResult stripped = runCli({u"strip"_s, u"--backup"_s, backup, root, u"user.t"_s});
    EXPECT_EQ(stripped.exitCode, 0) << stripped.err.toStdString();
    EXPECT_TRUE(stripped.out.endsWith(u"\nRestore file (3 xattrs): "_s + backup + u"\n"_s))
        << stripped.out.toStdString();
    for (const auto& [path, value] : values)
        EXPECT_FALSE(hasRaw(pathOf(path), "user.t")) << path.toStdString();

    const CliResult restored = runCli({u"restore"_s, backup});
    EXPECT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    for (const auto& [path, value] : values) {
        EXPECT_EQ(getRaw(pathOf(path), "user.t"), value) << path.toStdString();
        EXPECT_EQ(getRaw(pathOf(path), "user.keep"), "k");
    }

    // A restore file that cannot be written: nothing is removed.
    const QString unwritable = pathOf(u"no-such-folder/strip.dump"_s);
    const CliResult refused = runCli({u"strip"_s, u"--backup"_s, unwritable, root, u"user.t"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(unwritable + u": "_s)) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(u"nothing was removed"_s));
    EXPECT_EQ(refused.out, QString());
    EXPECT_EQ(getRaw(pathOf(u"tree/sub"_s), "user.t"), "folder");
}
