#include "support/CliFixture.h"

using namespace Qt::Literals::StringLiterals;

using DumpRestoreCommandsTest = CliFixture;

// Dump is lossless; restore goes on past a bad line, and undoes a strip from its restore file.
TEST_F(DumpRestoreCommandsTest, DumpRestoreAndAStripsRestoreFileLoseNothing) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", QByteArray("a\0", 2));
    EXPECT_EQ(runCli({u"dump"_s, file}), success(u"# file: "_s + file + u"\nuser.a=0sYQA=\n\n"_s));
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
    const QString none = pathOf(u"none"_s);
    EXPECT_EQ(runCli({u"restore"_s, none}), failure(none + u": No such file or directory\n"_s));

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
    EXPECT_EQ(runCli({u"strip"_s, u"--backup"_s, none + u"/strip.dump"_s, root, u"user.t"_s}),
              failure(none + u"/strip.dump: No such file or directory; nothing was removed\n"_s));
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
