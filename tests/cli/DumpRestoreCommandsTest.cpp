#include "support/CliFixture.h"

#include <unistd.h>

#include <QDir>

using namespace Qt::Literals::StringLiterals;

using DumpRestoreCommandsTest = CliFixture;

TEST_F(DumpRestoreCommandsTest, DumpIsLosslessAndRestoreReadsStandardInputOrAFile) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", QByteArray("a\0", 2));
    EXPECT_EQ(runCli({u"dump"_s, file}), success(u"# file: "_s + file + u"\nuser.a=0sYQA=\n\n"_s));
    const CliResult refused = runCli({u"dump"_s, u"--encoding"_s, u"octal"_s, file});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(u"unknown encoding 'octal'"_s)) << refused.err.toStdString();
    EXPECT_EQ(runCli({u"dump"_s}).exitCode, 2);

    // What fails is reported, the rest restored.
    const QByteArray header = "# file: " + QFile::encodeName(file) + "\n";
    EXPECT_EQ(runCli({u"restore"_s, u"-"_s}, header + "user.b=\"1\"\nuser.c=0xz\nuser.d=0s\n"),
              failure(u"standard input:3: "_s + file +
                      u": user.c: the value is not valid 0x hexadecimal or 0s base64\n"_s));
    EXPECT_EQ(runCli({u"restore"_s, makeFile(u"backup.dump"_s, header + "user.e=4\n")}),
              success({}));
    EXPECT_EQ(
        rawAttributes(QFile::encodeName(file)),
        (Attributes{
            {"user.a", QByteArray("a\0", 2)}, {"user.b", "1"}, {"user.d", {}}, {"user.e", "4"}}));
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
    EXPECT_EQ(ours.exitCode, 1);
    EXPECT_TRUE(ours.err.contains(closed + u": Permission denied\n"_s)) << ours.err.toStdString();
    EXPECT_TRUE(ours.out.contains(u"user.o=\"1\""_s));
    EXPECT_EQ(ours.out,
              runProcess(asAnotherUser({u"getfattr"_s, u"-R"_s, u"-P"_s, u"-h"_s, u"-d"_s, u"-m"_s,
                                        u"-"_s, u"--absolute-names"_s, u"-e"_s, u"text"_s, tree}))
                  .out);
}

TEST_F(DumpRestoreCommandsTest, AStripWithARestoreFileIsUndoneByRestore) {
    const QString root = makeFolder(u"tree/sub"_s).chopped(4);
    const QList<std::pair<QString, QByteArray>> values = {
        {makeFile(u"tree/a"_s), {}},
        {makeFile(u"tree/sub/b"_s), QByteArray("nul\0and\nbreak\xff", 15)},
        {pathOf(u"tree/sub"_s), "folder"},
    };
    for (const auto& [path, value] : values) {
        setRaw(path, "user.t", value);
        setRaw(path, "user.keep", "k");
    }
    // A restore file that cannot be written: nothing is removed.
    const QString unwritable = pathOf(u"no-such-folder/strip.dump"_s);
    const CliResult refused = runCli({u"strip"_s, u"--backup"_s, unwritable, root, u"user.t"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(unwritable + u": "_s)) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(u"nothing was removed"_s));
    EXPECT_EQ(refused.out, QString());
    EXPECT_EQ(getRaw(pathOf(u"tree/sub"_s), "user.t"), "folder");

    const QString backup = pathOf(u"strip.dump"_s);
    const CliResult stripped = runCli({u"strip"_s, u"--backup"_s, backup, root, u"user.t"_s});
    EXPECT_EQ(stripped.exitCode, 0) << stripped.err.toStdString();
    EXPECT_TRUE(stripped.out.endsWith(u"\nRestore file (3 xattrs): "_s + backup + u"\n"_s))
        << stripped.out.toStdString();
    for (const auto& [path, value] : values)
        EXPECT_EQ(rawAttributes(QFile::encodeName(path)), (Attributes{{"user.keep", "k"}}));
    EXPECT_EQ(runCli({u"restore"_s, backup}), success({}));
    for (const auto& [path, value] : values)
        EXPECT_EQ(rawAttributes(QFile::encodeName(path)),
                  (Attributes{{"user.keep", "k"}, {"user.t", value}}));
}
