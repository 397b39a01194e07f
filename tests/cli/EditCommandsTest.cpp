#include "support/CliFixture.h"
#include "support/QuarantineDatabase.h"

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

using EditCommandsTest = CliFixture;

TEST_F(EditCommandsTest, SetConvertsLikeTheEditorOrWritesNothing) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.keep", "precious");
    const QString input = makeFile(u"input.txt"_s, "<48 65 6c 6c 6f>");
    const QList<std::pair<QStringList, QByteArray>> written = {
        {{u"user.t"_s, u"--as"_s, u"text"_s, u"caf\u00e9"_s}, {}},
        {{u"bare"_s, u"--as"_s, u"hex"_s, u"<00ff>"_s}, {}},
        {{u"user.f"_s, u"--as"_s, u"hex"_s, u"--file"_s, input}, {}},
        {{u"user.in"_s, u"--as"_s, u"text"_s}, "from stdin\n"},
        {{u"user.e"_s, u"--as"_s, u"text"_s, u""_s}, {}},
        {{u"user.p"_s, u"--as"_s, u"plist"_s, u"(a, b)"_s}, {}},
    };
    for (const auto& [arguments, stdinText] : written)
        EXPECT_EQ(runCli(QStringList{u"set"_s, file} + arguments, stdinText), success({}))
            << arguments.join(u' ').toStdString();
    // Refused input, among it more than any value can take (/dev/zero never ends): nothing saved.
    const QString unsaved = u"so nothing was saved.\n"_s;
    const QString none = pathOf(u"none"_s);
    const QString tooLong = u"The input is longer than 1048576 bytes, "_s + unsaved;
    const QList<std::tuple<QStringList, QByteArray, QString>> refused = {
        {{u"hex"_s, u"zz"_s}, {}, unsaved},
        {{u"plist"_s, u"{ a = "_s}, {}, unsaved},
        {{u"text"_s, u"--file"_s, u"/dev/zero"_s}, {}, tooLong},
        {{u"text"_s}, QByteArray((1 << 20) + 1, 'x'), tooLong},
        {{u"text"_s, u"--file"_s, none},
         {},
         errorLine(file, u"user.keep"_s, none + u": No such file or directory"_s)},
    };
    for (const auto& [arguments, stdinText, error] : refused) {
        const CliResult result =
            runCli(QStringList{u"set"_s, file, u"user.keep"_s, u"--as"_s} + arguments, stdinText);
        EXPECT_TRUE(result.exitCode == 1 &&
                    result.err.startsWith(u"palvorn-cli: "_s + file + u": user.keep: "_s) &&
                    result.err.endsWith(error))
            << result.exitCode << result.err.toStdString();
    }
    Attributes attributes = rawAttributes(QFile::encodeName(file));
    EXPECT_TRUE(attributes.take("user.p").startsWith("bplist00"));
    EXPECT_EQ(attributes, (Attributes{{"user.keep", "precious"},
                                      {"user.t", "caf\xc3\xa9"},
                                      {"user.bare", QByteArray("\x00\xff", 2)},
                                      {"user.f", "Hello"},
                                      {"user.in", "from stdin\n"},
                                      {"user.e", {}}}));
}

// cp copies all or the named attributes, rm and flag go on past a failure; each names it.
TEST_F(EditCommandsTest, CpRmAndFlagGoOnPastAFailure) {
    const QString source = makeFile(u"source"_s);
    const Attributes values{
        {"user.a", "alpha"}, {"user.b#X", QByteArray("\x00\x01", 2)}, {"user.c", {}}};
    for (const auto& [name, value] : values.asKeyValueRange())
        setRaw(source, name, value);
    const QString all = makeFile(u"all"_s);
    const QString some = makeFile(u"some"_s);
    setRaw(some, "user.b#X", "to be replaced");
    EXPECT_EQ(runCli({u"cp"_s, source, all}), success({}));
    EXPECT_EQ(rawAttributes(QFile::encodeName(all)), values);
    EXPECT_EQ(runCli({u"cp"_s, source, some, u"b#X"_s, u"user.none"_s}),
              failure(errorLine(source, u"user.none"_s, u"xattr not found"_s) +
                      u"palvorn-cli: Not copied: user.none\n"_s));
    EXPECT_EQ(rawAttributes(QFile::encodeName(some)),
              (Attributes{{"user.b#X", values["user.b#X"]}}));

    EXPECT_EQ(runCli({u"rm"_s, all, u"user.a"_s, u"user.none"_s, u"c"_s}),
              failure(errorLine(all, u"user.none"_s, u"removexattr error: No data available"_s)));
    EXPECT_EQ(listRaw(QFile::encodeName(all)), QList<QByteArray>{"user.b#X"});

    EXPECT_EQ(runCli({u"flag"_s, u"add"_s, source, u"S"_s, u"user.a"_s, u"user.b#X"_s}),
              success({}));
    EXPECT_EQ(
        runCli({u"flag"_s, u"strip"_s, source, u"user.b#X#S"_s, u"user.none#Q"_s}),
        failure(
            errorLine(source, u"user.b#X#S"_s, u"Flags stripped, renamed to \u201cuser.b\u201d"_s) +
            errorLine(source, u"user.none#Q"_s, u"Can't strip flags: No data available"_s)));
    EXPECT_EQ(rawAttributes(QFile::encodeName(source)),
              (Attributes{{"user.a#S", "alpha"}, {"user.b", values["user.b#X"]}, {"user.c", {}}}));
}

// The value and the row are the core's (tested there with the real sqlite3); here the command
// finds the database below HOME, replaces the old stamp, and fails when it cannot record.
TEST_F(EditCommandsTest, QuarantineWritesTheAttributeAndOneMatchingRow) {
    QTemporaryDir home;
    const QStringList environment{u"HOME="_s + home.path()};
    const QString file = makeFile(u"download.zip"_s);
    setRaw(file, "user.com.apple.quarantine", "0081;old;Safari;");
    const QuarantineDatabase database(home.path());
    // No database, as on every system but macOS: the stamp is all there is, and no failure.
    EXPECT_EQ(runCli({u"quarantine"_s, file}, {}, environment),
              (CliResult{0,
                         {},
                         u"palvorn-cli: The quarantine event database \u201c"_s + database.path +
                             u"\u201d does not exist, so no event was recorded for \u201c"_s +
                             file + u"\u201d.\n"_s}));
    EXPECT_TRUE(getRaw(file, "user.com.apple.quarantine").startsWith("0083;"));
    // A database that is there and fails is a failure; a FIFO would have kept the tool waiting.
    QDir().mkpath(QFileInfo(database.path).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(database.path).constData(), 0600), 0);
    EXPECT_EQ(runCli({u"quarantine"_s, file}, {}, environment),
              failure(u"palvorn-cli: The quarantine event database \u201c"_s + database.path +
                      u"\u201d is not a regular file, so no event was recorded for \u201c"_s +
                      file + u"\u201d.\n"_s));
    QFile::remove(database.path);
    database.create();
    EXPECT_EQ(runCli({u"quarantine"_s, file}, {}, environment), success({}));
    const QList<QByteArray> fields = getRaw(file, "user.com.apple.quarantine").split(';');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields.at(2), "palvorn.app");
    ASSERT_EQ(database.rows().size(), 1);
    EXPECT_EQ(database.rows().first().section(u'|', 0, 0), QString::fromLatin1(fields.at(3)));
    EXPECT_EQ(listRaw(QFile::encodeName(file)), QList<QByteArray>{"user.com.apple.quarantine"});
}
