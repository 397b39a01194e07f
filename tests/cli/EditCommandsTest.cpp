#include "model/XattrAccess.h"
#include "support/CliFixture.h"

using namespace Qt::Literals::StringLiterals;

using EditCommandsTest = CliFixture;

TEST_F(EditCommandsTest, SetConvertsLikeTheEditorOrWritesNothing) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.keep", "precious");
    const QString input = makeFile(u"input.txt"_s, "<48 65 6c 6c 6f>");
    const struct {
        QStringList arguments;
        QByteArray stdinText;
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {{u"user.t"_s, u"--as"_s, u"text"_s, u"caf\u00e9"_s}, {}, "user.t", "caf\xc3\xa9"},
        {{u"bare"_s, u"--as"_s, u"hex"_s, u"<00ff>"_s}, {}, "user.bare", QByteArray("\x00\xff", 2)},
        {{u"user.f"_s, u"--as"_s, u"hex"_s, u"--file"_s, input}, {}, "user.f", "Hello"},
        {{u"user.in"_s, u"--as"_s, u"text"_s}, "from stdin\n", "user.in", "from stdin\n"},
        {{u"user.e"_s, u"--as"_s, u"text"_s, u""_s}, {}, "user.e", {}},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(QStringList{u"set"_s, file} + c.arguments, c.stdinText);
        EXPECT_EQ(result.exitCode, 0) << c.name << result.err.toStdString();
        EXPECT_EQ(getRaw(file, c.name), c.bytes) << c.name;
        EXPECT_TRUE(hasRaw(file, c.name));
    }
    const CliResult plist =
        runCli({u"set"_s, file, u"user.p"_s, u"--as"_s, u"plist"_s, u"(a, b)"_s});
    EXPECT_EQ(plist.exitCode, 0);
    EXPECT_TRUE(getRaw(file, "user.p").startsWith("bplist00"));

    for (const auto& [format, text] :
         {std::pair{u"hex"_s, u"zz"_s}, std::pair{u"plist"_s, u"{ a = "_s}}) {
        const CliResult refused = runCli({u"set"_s, file, u"user.keep"_s, u"--as"_s, format, text});
        EXPECT_EQ(refused.exitCode, 1) << text.toStdString();
        EXPECT_TRUE(refused.err.endsWith(u"so nothing was saved"_s + subject(file, u"user.keep"_s) +
                                         u".\n"_s))
            << refused.err.toStdString();
        EXPECT_EQ(getRaw(file, "user.keep"), "precious");
    }
    // More input than any value can take is refused before it fills memory; /dev/zero never ends.
    for (const QStringList& source : {QStringList{u"--file"_s, u"/dev/zero"_s}, QStringList{}}) {
        const CliResult endless =
            runCli(QStringList{u"set"_s, file, u"user.keep"_s, u"--as"_s, u"text"_s} + source,
                   QByteArray((1 << 20) + 1, 'x'));
        EXPECT_EQ(endless.exitCode, 1);
        EXPECT_EQ(endless.err, u"The input is longer than 1048576 bytes, so nothing was saved"_s +
                                   subject(file, u"user.keep"_s) + u".\n"_s);
        EXPECT_EQ(getRaw(file, "user.keep"), "precious");
    }
    const CliResult unreadable = runCli(
        {u"set"_s, file, u"user.keep"_s, u"--as"_s, u"text"_s, u"--file"_s, pathOf(u"none"_s)});
    EXPECT_EQ(unreadable.err, pathOf(u"none"_s) + u": No such file or directory"_s +
                                  subject(file, u"user.keep"_s) + u'\n');
    EXPECT_EQ(runCli({u"set"_s, file, u"user.x"_s, u"value"_s}).exitCode, 2); // --as is required
    EXPECT_EQ(
        runCli({u"set"_s, file, u"user.x"_s, u"--as"_s, u"text"_s, u"v"_s, u"--file"_s, input})
            .exitCode,
        2);
}

TEST_F(EditCommandsTest, RmGoesOnPastAFailure) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "a");
    setRaw(file, "user.b", "b");
    const CliResult result = runCli({u"rm"_s, file, u"user.a"_s, u"user.none"_s, u"b"_s});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              u"removexattr error: No data available"_s + subject(file, u"user.none"_s) + u'\n');
    EXPECT_TRUE(palvorn::listXattrs(palvorn::nativePath(file)).isEmpty());
}

TEST_F(EditCommandsTest, CpCopiesAllOrTheNamedAttributes) {
    const QString source = makeFile(u"source"_s);
    setRaw(source, "user.a", "alpha");
    setRaw(source, "user.b", QByteArray("\x00\x01", 2));
    setRaw(source, "user.c", {});
    const QString all = makeFile(u"all"_s);
    const QString some = makeFile(u"some"_s);
    setRaw(some, "user.b", "to be replaced");

    EXPECT_EQ(runCli({u"cp"_s, source, all}).exitCode, 0);
    for (const char* name : {"user.a", "user.b", "user.c"})
        EXPECT_EQ(getRaw(all, name), getRaw(source, name)) << name;
    EXPECT_EQ(palvorn::listXattrs(palvorn::nativePath(all)).size(), 3);

    const CliResult named = runCli({u"cp"_s, source, some, u"b"_s, u"user.none"_s});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(named.err, u"xattr not found"_s + subject(source, u"user.none"_s) +
                             u"\nNot copied: user.none\n"_s);
    EXPECT_EQ(getRaw(some, "user.b"), QByteArray("\x00\x01", 2));
    EXPECT_FALSE(hasRaw(some, "user.a"));
}
