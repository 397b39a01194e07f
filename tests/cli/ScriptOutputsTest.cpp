#include "support/CliFixture.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

using ScriptOutputsTest = CliFixture;

namespace {

// The value as Python reads it, an oracle independent of palvorn; empty where it reads none.
QByteArray pythonValue(const QString& path, const QByteArray& name, bool followLinks = true) {
    const QString hex =
        runProcess({u"python3"_s, u"-c"_s,
                    u"import os, sys\n"
                    u"try:\n"
                    u"    print(os.getxattr(sys.argv[1], bytes.fromhex(sys.argv[2]),\n"
                    u"                      follow_symlinks=sys.argv[3] == '1').hex())\n"
                    u"except OSError:\n"
                    u"    pass\n"_s,
                    path, QString::fromLatin1(name.toHex()), followLinks ? u"1"_s : u"0"_s})
            .out;
    return QByteArray::fromHex(hex.toLatin1());
}

} // namespace

// --raw writes a value's bytes and nothing else, whatever they hold; a format that cannot show a
// value refuses it, instead of printing hex text that set would then store as the value.
TEST_F(ScriptOutputsTest, GetRawWritesTheBytesAndAFormatRefusesWhatItCannotShow) {
    const QString file = makeFile(u"f"_s);
    const QList<std::pair<QByteArray, QByteArray>> values = {
        {"user.text", "caf\xc3\xa9\n"},
        {"user.empty", {}},
        {"user.binary", QByteArray("\x00\xff\x1b[2J\r\n\x00", 9)},
        {"user.bad\xff", "\xfe"},
        {"user.plist", QByteArray("bplist00\x08\x08\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00"
                                  "\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                                  "\x00\x00\x00\x00\x00\x09",
                                  42)},
    };
    for (const auto& [name, value] : values) {
        setRaw(file, name, value);
        const RawResult raw = runRaw({"get", QFile::encodeName(file), name, "--raw"});
        EXPECT_EQ(std::tuple(raw.exitCode, raw.out, raw.err),
                  std::tuple(0, pythonValue(file, name), QByteArray()))
            << name.constData();
    }
    const QString notText = u"; use --as hex or --raw"_s;
    const QList<std::tuple<QByteArray, QString, CliResult>> formats = {
        {"user.text", u"text"_s, success(u"caf\u00e9\n"_s)},
        {"user.binary", u"hex"_s, success(u"<00ff1b5b 324a0d0a 00>"_s)},
        {"user.binary", u"text"_s,
         failure(errorLine(file, u"user.binary"_s, u"The value is not UTF-8 text"_s + notText))},
        {"user.text", u"plist"_s,
         failure(errorLine(file, u"user.text"_s, u"The value is not a property list"_s + notText))},
        {"user.binary", u"plist"_s,
         failure(
             errorLine(file, u"user.binary"_s, u"The value is not a property list"_s + notText))},
    };
    for (const auto& [name, format, result] : formats)
        EXPECT_EQ(runCli({u"get"_s, file, QString::fromUtf8(name), u"--as"_s, format}), result)
            << name.constData() << ' ' << format.toStdString();
    EXPECT_EQ(runCli({u"get"_s, file, u"user.text"_s, u"--raw"_s, u"--as"_s, u"hex"_s}).exitCode,
              2);
}

// -h acts on a link itself, as the l* calls do; without it the link's target is meant. A user
// attribute cannot sit on a link, so the link's list is empty and writing on it is refused,
// while the target keeps what it had.
TEST_F(ScriptOutputsTest, NoDereferenceActsOnTheLinkItself) {
    const QString target = makeFile(u"target"_s);
    setRaw(target, "user.a", "1");
    setRaw(target, "user.b", "2");
    const QString link = pathOf(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));
    const QString copy = makeFile(u"copy"_s);
    const QString notOnLinks = u"Operation not permitted"_s;
    const QList<std::tuple<QStringList, CliResult>> cases = {
        {{u"list"_s, link}, success(u"user.a\t1 bytes\nuser.b\t1 bytes\n"_s)},
        {{u"list"_s, u"-h"_s, link}, success({})},
        {{u"list"_s, u"--no-dereference"_s, link}, success({})},
        {{u"show"_s, u"-h"_s, link}, success(link + u"\n\n**********\n"_s)},
        {{u"show"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"xattr not found"_s))},
        {{u"get"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"getxattr error: No data available"_s))},
        {{u"get"_s, link, u"user.a"_s, u"--raw"_s}, success(u"1"_s)},
        {{u"set"_s, u"-h"_s, link, u"user.a"_s, u"--as"_s, u"text"_s, u"new"_s},
         failure(errorLine(link, u"user.a"_s, u"setxattr error: "_s + notOnLinks))},
        {{u"rm"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"removexattr error: "_s + notOnLinks))},
        {{u"cp"_s, u"-h"_s, link, copy}, success({})},
        {{u"cp"_s, u"-h"_s, target, link},
         failure(errorLine(link, u"user.a"_s, u"setxattr error: "_s + notOnLinks) +
                 errorLine(link, u"user.b"_s, u"setxattr error: "_s + notOnLinks) +
                 u"palvorn-cli: Not copied: user.a, user.b\n"_s)},
    };
    for (const auto& [arguments, result] : cases)
        EXPECT_EQ(runCli(arguments), result) << arguments.join(u' ').toStdString();
    EXPECT_EQ(rawAttributes(QFile::encodeName(target)),
              (Attributes{{"user.a", "1"}, {"user.b", "2"}}));
    EXPECT_EQ(rawAttributes(QFile::encodeName(copy)), Attributes());
    // Without -h the target is written through the link, as before.
    EXPECT_EQ(runCli({u"set"_s, link, u"user.c"_s, u"--as"_s, u"text"_s, u"3"_s}), success({}));
    EXPECT_EQ(pythonValue(link, "user.c", false), QByteArray());
    EXPECT_EQ(getRaw(target, "user.c"), "3");
}
