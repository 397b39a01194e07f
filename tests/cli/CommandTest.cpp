#include "support/CliFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

using CommandTest = CliFixture;

// Last, a folder of an unknown user is refused before anything is walked.
TEST_F(CommandTest, HelpVersionUsageErrorsAndUnknownUsers) {
    EXPECT_EQ(runCli({u"--version"_s}), success(u"palvorn-cli " PALVORN_VERSION "\n"_s));
    for (const auto& [help, shown] :
         {std::pair{QStringList{u"--help"_s}, u"  list "_s},
          std::pair{QStringList{u"list"_s, u"--help"_s}, u"palvorn-cli list"_s}}) {
        const CliResult result = runCli(help);
        EXPECT_TRUE(result.exitCode == 0 && result.out.contains(shown)) << result.out.toStdString();
    }
    // Each verb checks its own arguments, before it looks at a file; "VERB: REASON" comes first.
    const QString flagUsage = u"expects 'add PATH FLAG NAME...' or 'strip PATH NAME...'"_s;
    const QList<std::pair<QStringList, QString>> usageErrors = {
        {{}, u"palvorn-cli COMMAND [ARGUMENTS]"_s},
        {{u"frobnicate"_s}, u"unknown command 'frobnicate'"_s},
        {{u"list"_s}, u"expects exactly one PATH"_s},
        {{u"list"_s, u"a"_s, u"b"_s}, u"expects exactly one PATH"_s},
        {{u"list"_s, u"--bogus"_s, u"a"_s}, u"Unknown option 'bogus'."_s},
        {{u"get"_s, u"f"_s}, u"expects PATH and NAME"_s},
        {{u"get"_s, u"f"_s, u"n"_s, u"extra"_s}, u"expects PATH and NAME"_s},
        {{u"get"_s, u"f"_s, u"n"_s, u"--as"_s, u"yaml"_s}, u"--as takes text, plist or hex"_s},
        {{u"set"_s, u"f"_s, u"n"_s, u"v"_s}, u"--as text, plist or hex is required"_s},
        {{u"set"_s, u"f"_s, u"n"_s, u"--as"_s, u"text"_s, u"v"_s, u"--file"_s, u"f"_s},
         u"takes a VALUE or --file, not both"_s},
        {{u"flag"_s, u"rename"_s, u"f"_s, u"n"_s}, flagUsage},
        {{u"flag"_s, u"add"_s, u"f"_s, u"S"_s}, flagUsage},
        {{u"flag"_s, u"add"_s, u"f"_s, u""_s, u"n"_s}, u"FLAG is empty"_s},
        {{u"compare"_s, u"f"_s}, u"expects A and B"_s},
        {{u"crawl"_s, u"d"_s, u"--show-size"_s}, u"--show-size goes with --type"_s},
        {{u"strip"_s, u"d"_s, u""_s}, u"TYPE is empty"_s},
        {{u"dump"_s}, u"expects at least one PATH"_s},
        {{u"dump"_s, u"--encoding"_s, u"octal"_s, u"f"_s},
         u"unknown encoding 'octal' (text, hex or base64)"_s},
    };
    for (const auto& [arguments, reason] : usageErrors) {
        const CliResult result = runCli(arguments);
        const QString problem = result.err.section(u'\n', 0, 0).section(u": "_s, 1);
        EXPECT_EQ(std::tuple(result.exitCode, result.out, problem),
                  std::tuple(2, QString(), reason));
    }
    for (const QList<QByteArray>& command : {QList<QByteArray>{"crawl", "~palvorn-no-such-user"},
                                             {"strip", "~palvorn-no-such-user", "user.a"}})
        EXPECT_EQ(runCliBytes(command),
                  failure(u"palvorn-cli: There is no user \u201cpalvorn-no-such-user\u201d, so "
                          "\u201c~palvorn-no-such-user\u201d names no folder.\n"_s));
}

// A failure is one line "palvorn-cli: PATH: REASON" (with the name where one attribute failed)
// and status 1; an item that cannot be reached is one line, however many names it was asked
// for. compare answers as cmp and diff do, and every verb tells its version.
TEST_F(CommandTest, EveryVerbNamesTheProgramAndTheItemAndExitsAsDocumented) {
    const QString file = makeFile(u"f"_s);
    for (const char* name : {"user.a", "user.b", "user.c"})
        setRaw(file, name, "v");
    const QString same = makeFile(u"same"_s);
    const QString other = makeFile(u"other"_s);
    for (const char* name : {"user.a", "user.b", "user.c"})
        setRaw(same, name, "v");
    setRaw(other, "user.a", "w");
    const QString missing = pathOf(u"missing"_s);
    const auto missingBy = [&missing](const QString& call) {
        return errorLine(missing, call + u" error: No such file or directory"_s);
    };
    const QString noSuchFile = errorLine(missing, u"No such file or directory"_s);
    const QList<std::tuple<QStringList, int, QString>> cases = {
        {{u"list"_s, missing}, 1, missingBy(u"listxattr"_s)},
        {{u"show"_s, missing}, 1, missingBy(u"listxattr"_s)},
        {{u"show"_s, file, u"user.none"_s},
         1,
         errorLine(file, u"user.none"_s, u"xattr not found"_s)},
        {{u"get"_s, missing, u"user.a"_s}, 1, missingBy(u"getxattr"_s)},
        {{u"set"_s, missing, u"user.a"_s, u"--as"_s, u"text"_s, u"v"_s},
         1,
         missingBy(u"setxattr"_s)},
        {{u"rm"_s, missing, u"user.a"_s, u"user.b"_s}, 1, missingBy(u"removexattr"_s)},
        {{u"cp"_s, file, missing}, 1, missingBy(u"setxattr"_s)},
        {{u"cp"_s, missing, file}, 1, missingBy(u"listxattr"_s)},
        {{u"quarantine"_s, missing}, 1, missingBy(u"setxattr"_s)},
        {{u"flag"_s, u"add"_s, missing, u"F"_s, u"user.a"_s, u"user.b"_s},
         1,
         errorLine(missing, u"Can't add flags: No such file or directory"_s)},
        {{u"flag"_s, u"strip"_s, missing, u"user.a"_s, u"user.b"_s},
         1,
         errorLine(missing, u"Can't strip flags: No such file or directory"_s)},
        {{u"compare"_s, file, same}, 0, {}},
        {{u"compare"_s, file, other}, 1, {}},
        {{u"compare"_s, missing, file}, 2, missingBy(u"compare"_s)},
        {{u"crawl"_s, missing}, 1, noSuchFile},
        {{u"strip"_s, missing, u"user.a"_s}, 1, noSuchFile},
        {{u"dump"_s, missing}, 1, noSuchFile},
        {{u"dump"_s, u"-R"_s, missing}, 1, noSuchFile},
        {{u"restore"_s, missing}, 1, noSuchFile},
    };
    for (const auto& [arguments, status, err] : cases) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(std::pair(result.exitCode, result.err), std::pair(status, err))
            << arguments.join(u' ').toStdString();
    }
    for (const QString& verb :
         {u"list"_s, u"show"_s, u"get"_s, u"set"_s, u"rm"_s, u"cp"_s, u"quarantine"_s, u"flag"_s,
          u"compare"_s, u"crawl"_s, u"strip"_s, u"dump"_s, u"restore"_s})
        for (const QString& option : {u"--version"_s, u"-v"_s})
            EXPECT_EQ(runCli({verb, option}), success(u"palvorn-cli " PALVORN_VERSION "\n"_s))
                << verb.toStdString();
    // A closed standard output is no success, and its reason is the true one.
    for (const QString& command : {u"dump"_s, u"list"_s, u"show"_s})
        EXPECT_EQ(runProcess({u"sh"_s, u"-c"_s, u"exec \"$0\" "_s + command + u" \"$1\" >&-"_s,
                              QStringLiteral(PALVORN_CLI_PATH), file}),
                  failure(u"palvorn-cli: write error: Bad file descriptor\n"_s))
            << command.toStdString();
    EXPECT_EQ(runProcess({u"sh"_s, u"-c"_s, u"exec \"$0\" compare \"$1\" \"$1\" >&-"_s,
                          QStringLiteral(PALVORN_CLI_PATH), file}),
              (CliResult{2, {}, u"palvorn-cli: write error: Bad file descriptor\n"_s}));
}

// An empty path is no item, the current folder least of all: every verb refuses it as a usage
// error before it reads or changes anything, here run in a folder whose items carry user.t.
TEST_F(CommandTest, EveryVerbRefusesAnEmptyPath) {
    const QString folder = makeFolder(u"current"_s);
    const QString file = makeFile(u"current/f"_s);
    for (const QString& item : {folder, file})
        setRaw(item, "user.t", "kept");
    const QList<QStringList> commands = {
        {u"strip"_s, u""_s, u"user.t"_s},
        {u"crawl"_s, u""_s},
        {u"show"_s, u""_s},
        {u"list"_s, u""_s},
        {u"get"_s, u""_s, u"user.t"_s},
        {u"set"_s, u""_s, u"user.t"_s, u"--as"_s, u"text"_s, u"new"_s},
        {u"set"_s, u"f"_s, u"user.t"_s, u"--as"_s, u"text"_s, u"--file"_s, u""_s},
        {u"rm"_s, u""_s, u"user.t"_s},
        {u"cp"_s, u""_s, u"f"_s},
        {u"cp"_s, u"f"_s, u""_s},
        {u"compare"_s, u""_s, u"f"_s},
        {u"compare"_s, u"f"_s, u""_s},
        {u"quarantine"_s, u""_s},
        {u"flag"_s, u"add"_s, u""_s, u"F"_s, u"user.t"_s},
        {u"flag"_s, u"strip"_s, u""_s, u"user.t"_s},
        {u"dump"_s, u""_s},
        {u"dump"_s, u"-R"_s, u"f"_s, u""_s},
        {u"restore"_s, u""_s},
    };
    for (const QStringList& arguments : commands) {
        const QStringList inFolder = {u"sh"_s, u"-c"_s, u"cd \"$0\" && exec \"$@\""_s, folder,
                                      QStringLiteral(PALVORN_CLI_PATH)};
        EXPECT_EQ(runProcess(inFolder + arguments),
                  (CliResult{2, {}, u"palvorn-cli: empty path\n"_s}))
            << arguments.join(u' ').toStdString();
    }
    for (const QString& item : {folder, file})
        EXPECT_EQ(rawAttributes(QFile::encodeName(item)), (Attributes{{"user.t", "kept"}}));
}

// The shell passes bytes; a name or path that is not UTF-8 reaches its attribute or file. Output
// that cannot be written is a failure, with the reason: for the verbs (whose reports may be written
// in parts) and for what the program prints itself.
TEST_F(CommandTest, ArgumentsAreBytesAndAFailedWriteFails) {
    const QByteArray folder = makeFolder(u"d"_s).toUtf8() + "/x\xff";
    const QByteArray file = folder + "/f\xfe";
    const QByteArray copy = folder + "/copy";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_EQ(::close(::creat(file.constData(), 0644)), 0);
    ASSERT_EQ(::close(::creat(copy.constData(), 0644)), 0);
    setRaw(file, "user.bad\xff", "v");

    EXPECT_EQ(runCliBytes({"list", file}), success(u"user.bad\\xff\t1 bytes\n"_s));
    EXPECT_EQ(runCliBytes({"set", file, "user.new\xfe", "--as", "text", "w"}).exitCode, 0);
    EXPECT_EQ(runCliBytes({"flag", "add", file, "F", "user.bad\xff"}).exitCode, 0);
    EXPECT_EQ(runCliBytes({"get", file, "user.bad\xff#F", "--as", "text"}).out, u"v"_s);
    const QString shown = QString::fromUtf8(folder.chopped(1)) + u"\\xff"_s;
    EXPECT_EQ(runCliBytes({"strip", folder, "new\xfe"}),
              success(u"Stripped 1 xattrs of type new\\xfe from 2 files in  "_s + shown +
                      u"\n\n"_s + shown + u"/f\\xfe: 1  bytes.\n"_s));
    EXPECT_EQ(runCliBytes({"cp", file, copy}).exitCode, 0);
    EXPECT_EQ(runCliBytes({"compare", file, copy}),
              success(u"Comparing "_s + shown + u"/f\\xfe with "_s + shown +
                      u"/copy :\nuser.bad\\xff#F are the same\n"_s));
    for (const QList<QByteArray>& command : {QList<QByteArray>{"list", file},
                                             {"dump", file},
                                             {"crawl", folder},
                                             {"strip", folder, "user.none"},
                                             {"--version"},
                                             {"--help"},
                                             {"list", "--help"}}) {
        const CliResult result = runCliBytes(command, u"/dev/full"_s);
        EXPECT_EQ(result.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(u"palvorn-cli: write error: No space left on device\n"_s))
            << command.join(' ').toStdString() << result.err.toStdString();
    }
}
