#include "model/AttributeDump.h"

#include "model/DumpWriter.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;
using palvorn::AttributeDump;
using palvorn::DumpEncoding;
using palvorn::DumpWriter;

namespace {

struct Dumped {
    QByteArray out;
    QStringList problems;
    bool anyProblem = false;
};

QByteArray runTool(const QString& program, const QStringList& arguments,
                   const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
}

QByteArray getfattr(const QStringList& options, const QString& path, DumpEncoding encoding) {
    const QString name = encoding == DumpEncoding::Text  ? u"text"_s
                         : encoding == DumpEncoding::Hex ? u"hex"_s
                                                         : u"base64"_s;
    return runTool(u"getfattr"_s,
                   options + QStringList{u"-d"_s, u"-m"_s, u"-"_s, u"--absolute-names"_s, u"-e"_s,
                                         name, path});
}

Dumped dump(const QByteArray& path, DumpEncoding encoding, bool tree) {
    Dumped result;
    QBuffer buffer(&result.out);
    buffer.open(QIODevice::WriteOnly);
    DumpWriter writer(buffer, encoding,
                      [&result](const QString& text) { result.problems.append(text); });
    if (tree)
        writer.dumpTree(path);
    else
        writer.dumpItem(path);
    result.anyProblem = writer.anyProblem();
    return result;
}

constexpr DumpEncoding encodings[] = {DumpEncoding::Text, DumpEncoding::Hex, DumpEncoding::Base64};

QByteArray allBytes() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

class AttributeDumpTest : public XattrFixture {};

} // namespace

// Every escape of names and values, the value forms, name order and block layout at once, with
// getfattr as the reference.
TEST_F(AttributeDumpTest, AnItemDumpsAsGetfattrDumpsIt) {
    const QString file = makeFile(u"awkward"_s);
    const QList<std::pair<QByteArray, QByteArray>> attributes = {
        {"user.z-last", "plain"},
        {"user.empty", {}},
        {"user.one-nul", QByteArray("abc\0", 4)},
        {"user.two-nul", QByteArray("abc\0\0", 5)},
        {"user.only-nul", QByteArray(1, '\0')},
        {"user.quotes", "say \"hi\" \\ back\\slash"},
        {"user.breaks", "line\nnext\r\n\ttab"},
        {"user.all-bytes", allBytes()},
        {"user.utf8-é", "caf\xc3\xa9"},
        {"user.eq=back\\slash\nnl\rcr\ttab \"q\" #", "v"},
        {"user.bad\xff\xfe", "\xff"},
        {"user.A-upper-sorts-first", "1"},
    };
    for (const auto& [name, value] : attributes)
        setRaw(file, name, value);
    if (::geteuid() == 0)
        setRaw(file, "trusted.root-only", "t");

    for (const DumpEncoding encoding : encodings) {
        const Dumped ours = dump(QFile::encodeName(file), encoding, false);
        EXPECT_FALSE(ours.anyProblem) << ours.problems.join(u'\n').toStdString();
        EXPECT_EQ(ours.out, getfattr({}, file, encoding)) << static_cast<int>(encoding);
    }
}

TEST_F(AttributeDumpTest, ATreeDumpsAsGetfattrWalksItWithoutFollowingLinks) {
    const QString root = makeFolder(u"tree"_s);
    const QByteArray rootPath = QFile::encodeName(root);
    const QList<QByteArray> names = {"a=b",     "back\\slash", "new\nline", "car\rriage", "tab\tx",
                                     "bad\xff", "sp ace",      "q\"uote",   "caf\xc3\xa9"};
    for (const QByteArray& name : names) {
        const QByteArray path = rootPath + '/' + name;
        ASSERT_EQ(::close(::creat(path.constData(), 0644)), 0) << name.toStdString();
        ASSERT_EQ(::setxattr(path.constData(), "user.x", name.constData(),
                             static_cast<size_t>(name.size()), 0),
                  0);
    }
    makeFolder(u"tree/sub/deeper"_s);
    setRaw(pathOf(u"tree/sub"_s), "user.folder", "f");
    setRaw(makeFile(u"tree/sub/deeper/inner"_s), "user.inner", "i");
    makeFile(u"tree/sub/no-attributes"_s);
    const QString outside = makeFile(u"outside"_s);
    setRaw(outside, "user.outside", "must not appear");
    ASSERT_TRUE(QFile::link(outside, pathOf(u"tree/sub/link"_s)));
    ASSERT_TRUE(QFile::link(pathOf(u"tree/sub"_s), pathOf(u"tree/folder-link"_s)));
    // Only trusted and security attributes can sit on a link itself; its own are dumped.
    if (::geteuid() == 0) {
        ASSERT_EQ(::lsetxattr(QFile::encodeName(pathOf(u"tree/sub/link"_s)).constData(),
                              "trusted.on-link", "l", 1, 0),
                  0);
    }

    for (const QString& given : {root, root + u'/'}) {
        for (const DumpEncoding encoding : encodings) {
            const Dumped ours = dump(QFile::encodeName(given), encoding, true);
            EXPECT_FALSE(ours.anyProblem) << ours.problems.join(u'\n').toStdString();
            EXPECT_EQ(ours.out, getfattr({u"-R"_s, u"-P"_s, u"-h"_s}, given, encoding));
            EXPECT_FALSE(ours.out.contains("must not appear"));
        }
    }
    // A link given as the path is followed alone, and neither followed nor dumped in a walk.
    const QString link = pathOf(u"tree/folder-link"_s);
    for (const bool tree : {false, true}) {
        const Dumped ours = dump(QFile::encodeName(link), DumpEncoding::Text, tree);
        const QStringList options = tree ? QStringList{u"-R"_s, u"-P"_s, u"-h"_s} : QStringList{};
        EXPECT_EQ(ours.out, getfattr(options, link, DumpEncoding::Text));
        EXPECT_EQ(ours.out.isEmpty(), tree);
    }
    // QTemporaryDir cannot remove a name that is not UTF-8.
    QProcess::execute(u"rm"_s, {u"-rf"_s, root});
}

TEST_F(AttributeDumpTest, AMissingItemIsReportedAndTheRestDumped) {
    const QString file = makeFile(u"present"_s);
    setRaw(file, "user.a", "1");
    const QString missing = pathOf(u"vanished"_s);
    for (const bool tree : {false, true}) {
        Dumped result;
        QBuffer buffer(&result.out);
        buffer.open(QIODevice::WriteOnly);
        DumpWriter writer(buffer, DumpEncoding::Text,
                          [&result](const QString& text) { result.problems.append(text); });
        for (const QString& path : {missing, file}) {
            if (tree)
                writer.dumpTree(QFile::encodeName(path));
            else
                writer.dumpItem(QFile::encodeName(path));
        }
        EXPECT_TRUE(writer.anyProblem());
        EXPECT_EQ(result.problems, QStringList{missing + u": No such file or directory"_s});
        EXPECT_EQ(result.out, "# file: " + QFile::encodeName(file) + "\nuser.a=\"1\"\n\n");
    }
}

// Each text is written by setfattr --restore and read back raw; ours must decode to the same
// bytes, and refuse exactly what setfattr refuses.
TEST_F(AttributeDumpTest, ValuesAndNamesDecodeAsSetfattrReadsThem) {
    const QList<QByteArray> values = {"plain text  ",
                                      "\"quoted\"",
                                      "\"\"",
                                      "\"",
                                      "\"unterminated",
                                      "\"x\"trail",
                                      "\"a\"b\"",
                                      "\"a\\\"",
                                      "\"\\\"a",
                                      "\"a\\\"\"",
                                      "\"a\\\\\"",
                                      "\\",
                                      "a\\",
                                      "\"a\\",
                                      "\\\"",
                                      "\"a\\\\\\\"",
                                      "\"\\1x\\12y\\777z\\400w\\08\"",
                                      "un\\101q\\\"",
                                      "\"\\8\\9\\n\\q\"",
                                      "\\1234",
                                      "a=b",
                                      "0xABcd",
                                      "0XAB",
                                      "0x",
                                      "0x4 1 \t42",
                                      "0xabc",
                                      "0xzz",
                                      "0x41\\n",
                                      "0sYWJj",
                                      "0SYWJj",
                                      "0s",
                                      "0s  ",
                                      "0sYWJj YWJj",
                                      "0sYWJjYW Jj",
                                      "0sYWJjZA== ",
                                      "0sYWJjZA== YWJj",
                                      "0sYR==",
                                      "0sYWF=",
                                      "0sYWE=",
                                      "0sYQ==",
                                      "0sYWJjZA",
                                      "0sYW-_",
                                      "0sYWJjZ===",
                                      "0sYWJjZA= =",
                                      "0y",
                                      "0"};
    const QList<QByteArray> names = {"user.a\\12b",      "user.c\\0101",    "user.d\\\\e",
                                     "user.f\\\"g",      "user.h\\777",     "user.i\\8",
                                     "user.j\\134\\075", "user.k\\101\\102"};
    const QString file = makeFile(u"target"_s);
    QByteArray restore = "# file: " + QFile::encodeName(file) + '\n';
    for (qsizetype i = 0; i < values.size(); ++i)
        restore += "user.v" + QByteArray::number(i) + '=' + values[i] + '\n';
    for (const QByteArray& name : names)
        restore += name + "=n\n";
    runTool(u"setfattr"_s, {u"--restore=-"_s}, restore);

    for (qsizetype i = 0; i < values.size(); ++i) {
        const QByteArray name = "user.v" + QByteArray::number(i);
        const std::optional<QByteArray> ours = AttributeDump::decodeValue(values[i]);
        ASSERT_EQ(ours.has_value(), hasRaw(file, name)) << values[i].toStdString();
        if (ours) {
            EXPECT_EQ(*ours, getRaw(file, name)) << values[i].toStdString();
        }
    }
    for (const QByteArray& name : names) {
        const QByteArray decoded = AttributeDump::unescapeName(name);
        EXPECT_TRUE(hasRaw(file, decoded)) << name.toStdString();
        EXPECT_EQ(AttributeDump::escapeName(
                      AttributeDump::unescapeName(AttributeDump::escapeName(decoded))),
                  AttributeDump::escapeName(decoded));
    }
}
