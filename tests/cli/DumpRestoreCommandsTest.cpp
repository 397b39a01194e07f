#include "support/CliFixture.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

using DumpRestoreCommandsTest = CliFixture;

// Dump is lossless; restore goes on past a bad line, and undoes a strip from its restore file. (A
// missing file and a restore file that cannot be written are CommandTest's and WalkCommandsTest's.)
TEST_F(DumpRestoreCommandsTest, DumpRestoreAndAStripsRestoreFileLoseNothing) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", QByteArray("a\0", 2));
    EXPECT_EQ(runCli({u"dump"_s, file}), success(u"# file: "_s + file + u"\nuser.a=0sYQA=\n\n"_s));
    const QByteArray header = "# file: " + QFile::encodeName(file) + "\n";
    EXPECT_EQ(runCli({u"restore"_s, u"-"_s}, header + "user.b=\"1\"\nuser.c=0xz\nuser.d=0s\n"),
              failure(u"palvorn-cli: standard input:3: "_s + file +
                      u": user.c: the value is not valid 0x hexadecimal or 0s base64\n"_s));
    EXPECT_EQ(runCli({u"restore"_s, makeFile(u"backup.dump"_s, header + "user.e=4\n")}),
              success({}));
    EXPECT_EQ(
        rawAttributes(QFile::encodeName(file)),
        (Attributes{
            {"user.a", QByteArray("a\0", 2)}, {"user.b", "1"}, {"user.d", {}}, {"user.e", "4"}}));

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

// After a strip, a folder of the tree is swapped for a link to a folder outside it: the restore
// names the link and writes nothing outside, nor on the link in the folder's place (no user
// attribute can sit on a link).
TEST_F(DumpRestoreCommandsTest, ARestoreDoesNotFollowAFolderSwappedForALink) {
    const QString tree = makeFolder(u"tree"_s);
    const QString folder = makeFolder(u"tree/sub"_s);
    const QString file = makeFile(u"tree/sub/f"_s);
    setRaw(folder, "user.t", "folder");
    setRaw(file, "user.t", "file");
    const QString outside = makeFolder(u"outside"_s);
    const QString outsideFile = makeFile(u"outside/f"_s);
    const QString backup = pathOf(u"strip.dump"_s);
    ASSERT_EQ(runCli({u"strip"_s, u"--backup"_s, backup, tree, u"user.t"_s}).exitCode, 0);
    ASSERT_TRUE(QDir().rename(folder, pathOf(u"moved"_s)));
    ASSERT_TRUE(QFile::link(outside, folder));

    const CliResult restored = runCli({u"restore"_s, backup});
    QStringList problems;
    for (const QString& line : restored.err.split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith(u"palvorn-cli: "_s + backup + u':')) << line.toStdString();
        problems.append(line.section(u": "_s, 2)); // without "palvorn-cli: FILE:LINE: "
    }
    EXPECT_EQ(std::tuple(restored.exitCode, restored.out, problems),
              std::tuple(1, QString(),
                         QStringList{folder + u": user.t: Operation not permitted"_s,
                                     file + u": user.t: "_s + folder +
                                         u" is a symbolic link, not followed"_s}));
    for (const QString& untouched :
         {outside, outsideFile, pathOf(u"moved"_s), pathOf(u"moved/f"_s)})
        EXPECT_EQ(rawAttributes(QFile::encodeName(untouched)), Attributes())
            << untouched.toStdString();
}
