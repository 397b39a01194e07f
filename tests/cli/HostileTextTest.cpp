#include "core/model/TextDecoding.h"
#include "core/plist/BinaryPlistWriter.h"
#include "support/CliFixture.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>

using namespace Qt::Literals::StringLiterals;

using HostileTextTest = CliFixture;

namespace {

// Where a terminal would obey the text rather than show it: a C0 control other than line feed
// and tab, DEL, a C1 control, or bytes that are not UTF-8 (an 8-bit terminal takes a lone 0x9b for
// a control sequence). Empty when there is nothing of the kind.
QString steering(const QByteArray& bytes) {
    const std::optional<QString> text = palvorn::decodeUtf8(bytes);
    if (!text)
        return u"not UTF-8: "_s + QString::fromLatin1(bytes.toHex(' '));
    for (qsizetype i = 0; i < text->size(); ++i) {
        const char16_t c = text->at(i).unicode();
        if ((c < 0x20 && c != u'\n' && c != u'\t') || (c >= 0x7f && c < 0xa0))
            return QStringLiteral("U+%1 in \"%2\"")
                .arg(c, 4, 16, QLatin1Char('0'))
                .arg(text->mid(std::max<qsizetype>(0, i - 30), 60));
    }
    return {};
}

} // namespace

// One report of each kind on a name and a value that hold an escape sequence, a bell, a carriage
// return, a line feed and a backslash, in a folder whose name holds one too: every verb shows
// them as escapes, one line per name. get into a pipe writes the value's text as it is: set reads
// it back.
TEST_F(HostileTextTest, EveryReportShowsControlsAsEscapes) {
    const QByteArray folder = QFile::encodeName(pathOf(u"dir"_s)) + "\x1b[1m";
    const QByteArray file = folder + "/f";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_EQ(::close(::creat(file.constData(), 0644)), 0);
    const QByteArray name = "user.a\x1b[31m\\x\n";
    setRaw(file, name, "\x1b]0;t\x07\r\n");

    const QString dir = pathOf(u"dir"_s) + u"\\x1b[1m"_s;
    const QString shownFile = dir + u"/f"_s;
    const QString shownName = u"user.a\\x1b[31m\\\\x\\x0a"_s;
    const QString hex = u"<1b5d303b 74070d0a>"_s;
    const QString ascii = u"\u00ab\\x1b]0;t\\x07\\x0d\n\u00bb\n"_s;
    const QByteArray typedName = shownName.toUtf8();
    const auto expect = [](const QList<QByteArray>& arguments, int exitCode, const QString& out,
                           const QString& err = {}) {
        const RawResult result = runRaw(arguments);
        EXPECT_EQ(std::tuple(result.exitCode, QString::fromUtf8(result.out),
                             QString::fromUtf8(result.err)),
                  std::tuple(exitCode, out, err))
            << arguments.join(' ').constData();
    };
    expect({"list", file}, 0, shownName + u"\t8 bytes\n"_s);
    expect({"show", file}, 0,
           shownFile + u"\n\n**********\n"_s + shownName + u" (8 bytes):\n\n"_s + hex +
               u"\n\nString content:\n\n\\x1b]0;t\\x07\\x0d\n\n"_s);
    EXPECT_EQ(runRaw({"get", file, typedName, "--as", "text"}).out, "\x1b]0;t\x07\r\n");
    expect({"compare", file, file}, 0,
           u"Comparing "_s + shownFile + u" with "_s + shownFile + u" :\n"_s + shownName +
               u" are the same\n"_s);
    const QString head = u"Found 1 files with xattrs out of 1 scanned in "_s + dir;
    expect({"crawl", folder}, 0,
           head + u" 1 total xattrs.\nThere are 1 Xattr types\n\n"_s + shownName + u" in "_s +
               shownFile + u" count 1:\n"_s + hex + u'\n' + ascii + u'\n');
    expect({"crawl", folder, "--type", typedName}, 0,
           head + u" 1 total xattrs, and 1 of type "_s + shownName + u"\n\n"_s + shownFile +
               u":\n"_s + hex + u'\n' + ascii + u"Not a binary Plist\n\n\n"_s);
    expect({"crawl", folder, "--type", typedName, "--show-size"}, 0,
           head + u" 1 total xattrs, and 1 of type "_s + shownName + u"\n\n"_s + shownFile +
               u": 8  bytes.\n"_s);
    // Error lines, usage errors and the lines of a restore name what they concern the same way.
    expect({"show", file, "user.\\x07none"}, 1, {},
           errorLine(shownFile, u"user.\\x07none"_s, u"xattr not found"_s));
    expect({"rm", file, "user.\\q"}, 2, {},
           u"palvorn-cli rm: \u201c\\q\u201d in a name: a backslash is typed as \\\\, a byte as "
           u"\\xHH\nTry 'palvorn-cli rm --help'.\n"_s);
    expect({"\x1b[2J"}, 2, {},
           u"palvorn-cli: unknown command '\\x1b[2J'\nTry 'palvorn-cli --help'.\n"_s);
    const RawResult restored = runRaw({"restore", "-"}, "# file: " + file + "\nuser.\\033x=0xz\n");
    EXPECT_EQ(QString::fromUtf8(restored.err),
              u"palvorn-cli: standard input:2: "_s + shownFile +
                  u": user.\\x1bx: the value is not valid 0x hexadecimal or 0s base64\n"_s);
    expect({"strip", folder, typedName}, 0,
           u"Stripped 1 xattrs of type "_s + shownName + u" from 1 files in  "_s + dir + u"\n\n"_s +
               shownFile + u": 8  bytes.\n"_s);
    // rm takes the name as list shows it too; that every byte survives the trip is the core's
    // AttributeNameTest.
    setRaw(file, name, "v");
    EXPECT_EQ(runRaw({"rm", file, typedName}).exitCode, 0);
    EXPECT_EQ(listRaw(file), QList<QByteArray>());
}

// Every verb, on its way to success and to failure, over a tree whose folder, file and attribute
// names and values are built to steer a terminal: nothing it prints to either stream would be
// obeyed (but the value text that get writes into a pipe, which is the value itself), list prints
// one line per attribute, and dump is still getfattr's dump.
TEST_F(HostileTextTest, NoVerbLetsANameOrValueSteerTheTerminal) {
    const QByteArray root = QFile::encodeName(makeFolder(u"tree"_s));
    const QByteArray folder = root + "/d\x1b]0;x\x07\xc2\x9b\n";
    const QByteArray file = folder + "/f\r\x1b[2K\\x41<b>\x9b";
    const QByteArray other = folder + "/g\x7f\x08";
    const QByteArray missing = folder + "/none\x1b[5m";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    for (const QByteArray& path : {file, other})
        ASSERT_EQ(::close(::creat(path.constData(), 0644)), 0);
    ASSERT_EQ(::symlink("gone\x1b[6n", (folder + "/link\x07").constData()), 0);
    // Property-list strings that XML can carry (carriage return, C1) and cannot (ESC, BEL).
    const auto plist = [](const QString& text) {
        return palvorn::BinaryPlistWriter::write(palvorn::PlistValue::string(text)).value();
    };
    const QList<std::pair<QByteArray, QByteArray>> attributes = {
        {"user.\x1b[31mred\x1b[0m", "\x1b]0;title\x07"},
        {"user.nl\nname", "line\r\x1b[2Kgone\nnext"},
        {"user.bs\\x41", "\xc2\x9b[2J C1 csi \\x1b"},
        {"user.<b>b</b><img src=x>", "<img src=x>"},
        {"user.c1\xc2\x85\xc2\x9b", "\x9b raw byte"},
        {"user.bad\x9b\xff", "\x1b[1mascii\x07"},
        {"user.tab\tcr\r", plist(u"cr\r nel\u0085"_s)},
        {"user.plist", plist(u"\u001b[2J\u0007"_s)},
    };
    for (const auto& [name, value] : attributes)
        for (const QByteArray& path : {file, folder})
            setRaw(path, name, value);
    setRaw(other, "user.\x1b[31mred\x1b[0m", "other\x07");
    setRaw(other, "user.only\x1b", "o");

    // The names as list shows them, typed back by every verb that takes names.
    const RawResult listed = runRaw({"list", file});
    QList<QByteArray> names;
    for (const QByteArray& line : listed.out.split('\n')) {
        if (!line.isEmpty())
            names.append(line.left(line.lastIndexOf('\t')));
    }
    EXPECT_EQ(names.size(), attributes.size()) << listed.out.constData();
    const QByteArray home = folder + "/home\x1b";
    const QByteArray backup = root + "/backup\x1b.dump";
    QList<QList<QByteArray>> runs = {
        {"list", folder},
        {"list", other},
        {"list", missing},
        {"show", file},
        {"show", folder},
        {"show", file, "user.\x1bnone"},
        {"show", missing, "user.a"},
        {"get", missing, "user.a"},
        {"get", file, "user.\\x1bnone"},
        {"set", file, "user.new\\x1b", "--as", "text", "v\x1b"},
        {"set", file, "user.new\\x1b", "--as", "plist", "<bad\x1b"},
        {"set", file, "user.new\\x1b", "--as", "hex", "zz\x1b"},
        {"set", file, "user.new\\x1b", "--as", "text", "--file", missing},
        {"rm", file, "user.\\x1bnone", "user.new\\x1b"},
        {"cp", file, other},
        {"cp", file, missing},
        {"cp", file, other, "user.\\x07none"},
        {"flag", "add", file, "f\\x1b", names.at(0)},
        {"flag", "add", file, "f\\x1b", names.at(0)},
        {"flag", "strip", file, names.at(0) + "#f\\x1b"},
        {"flag", "strip", file, "user.\\x1bnone"},
        {"quarantine", missing},
        {"quarantine", other},
        {"compare", file, other},
        {"compare", other, file},
        {"compare", file, missing},
        {"crawl", root},
        {"crawl", root, "--totals"},
        {"crawl", missing},
        {"crawl", root, "--type", "user.\\x1bnone"},
        {"crawl", "~\x1b[5m"},
        {"strip", missing, names.at(0)},
        {"strip", root, names.at(1), "--backup", backup},
        {"restore", backup},
        {"restore", missing},
        {"dump", missing},
        {"rm", file, "user.\\q\x1b"},
        {"\x1b[2J"},
        {"list", "--\x1b[2J", file},
    };
    for (const QByteArray& name : names) {
        runs += {{"show", file, name},
                 {"get", file, name, "--as", "hex"},
                 {"crawl", root, "--type", name},
                 {"crawl", root, "--type", name, "--show-size"}};
    }
    for (const QList<QByteArray>& run : std::as_const(runs)) {
        const RawResult result = runRaw(run, {}, {u"HOME="_s + QFile::decodeName(home)});
        const QString what = QString::fromLatin1(run.join(' ').toHex(' '));
        EXPECT_EQ(steering(result.out), QString()) << what.toStdString();
        EXPECT_EQ(steering(result.err), QString()) << what.toStdString();
    }
    // A dump escapes what its lines cannot carry; restore shows it by the name rule.
    const RawResult restored =
        runRaw({"restore", "-"}, "# file: " + root + "/p\\033\nuser.\\033x=0xz\nuser.a=1\n");
    EXPECT_EQ(restored.exitCode, 1);
    EXPECT_EQ(steering(restored.err), QString()) << restored.err.constData();
    // Machine formats keep their own rules: dump is getfattr's, get's text the value's.
    const RawResult dumped = runRaw({"dump", "-R", root});
    EXPECT_EQ(steering(dumped.err), QString());
    EXPECT_EQ(dumped.out,
              runTool(u"getfattr"_s, u"-R -P -h -d -m - --absolute-names -e base64"_s.split(u' ')
                                         << QFile::decodeName(root)));
    EXPECT_EQ(runRaw({"get", file, "user.nl\\x0aname", "--as", "text"}).out,
              "line\r\x1b[2Kgone\nnext");
}

// get writes the value's text or bytes as they are into a pipe, for set or another program to read
// back, and list --null the names' bytes; on a terminal both show controls as escapes.
TEST_F(HostileTextTest, GetAndListNullShowControlsOnATerminalOnly) {
    const QString path = makeFile(u"f"_s);
    setRaw(path, "user.t", "\x1b]0;title\x07 text\r\n");
    const QByteArray file = QFile::encodeName(path);
    EXPECT_EQ(runRaw({"get", file, "user.t", "--as", "text"}).out, "\x1b]0;title\x07 text\r\n");
    // The terminal itself ends the line with a carriage return.
    EXPECT_EQ(runOnTerminal({"get", file, "user.t", "--as", "text"}),
              "\\x1b]0;title\\x07 text\\x0d\r\n");
    setRaw(path, "user.raw", "\x1b[2J\xff\n");
    EXPECT_EQ(runRaw({"get", file, "user.raw", "--raw"}).out, "\x1b[2J\xff\n");
    EXPECT_EQ(runOnTerminal({"get", file, "user.raw", "--raw"}), "\\x1b[2J\\xff\r\n");
    EXPECT_EQ(runOnTerminal({"list", "--null", "-m", "raw", file}), QByteArray("user.raw\0", 9));
    setRaw(path, "user.\x1b[2J", "v");
    EXPECT_EQ(runOnTerminal({"list", "--null", "-m", "2J", file}),
              QByteArray("user.\\x1b[2J\0", 13));
}
