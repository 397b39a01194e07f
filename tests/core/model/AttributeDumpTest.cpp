#include "core/model/AttributeDump.h"

#include "core/model/DumpReader.h"
#include "core/model/DumpRestore.h"
#include "core/model/DumpWriter.h"
#include "core/model/FolderXattrAccess.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;
using namespace palvorn;

namespace {

// With getfattr's name for each.
constexpr std::pair<ValueEncoding, const char*> encodings[] = {
    {ValueEncoding::Text, "text"}, {ValueEncoding::Hex, "hex"}, {ValueEncoding::Base64, "base64"}};

// The dump format both ways: DumpWriter writes it, DumpReader and DumpRestore read it back;
// getfattr and setfattr are the references.
class AttributeDumpTest : public XattrFixture {
protected:
    // Dumps the paths in turn into one output, as the CLI does with several arguments.
    QByteArray dump(const QList<QString>& paths, ValueEncoding encoding, bool tree) {
        const qsizetype problemsBefore = m_problems.size();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        DumpWriter writer(buffer, encoding,
                          [this](const Error& problem) { m_problems.append(problem.lineText()); });
        for (const QString& path : paths)
            tree ? writer.dumpTree(QFile::encodeName(path))
                 : writer.dumpItem(QFile::encodeName(path));
        EXPECT_EQ(writer.anyProblem(), m_problems.size() > problemsBefore);
        return buffer.data();
    }

    DumpRestore::Result restore(QByteArray dump) {
        QBuffer buffer(&dump);
        buffer.open(QIODevice::ReadOnly);
        return DumpRestore::apply(buffer, u"backup"_s,
                                  [this](const QString& text) { m_problems.append(text); });
    }

    // Runs an independent tool (getfattr, setfattr) and returns its standard output.
    static QByteArray getfattr(const QStringList& options, const QStringList& paths,
                               const char* encoding = "text") {
        QStringList arguments = options + u"-d -m - --absolute-names -e"_s.split(u' ');
        arguments << QString::fromLatin1(encoding) << paths;
        return runTool(u"getfattr"_s, arguments);
    }

    QStringList m_problems;
};

} // namespace

// Every escape of names and values, the value forms, name order and block layout at once, with
// getfattr as the reference; its hex and base64 dumps restore byte for byte onto a file whose name
// is not UTF-8 and holds characters that the header escapes. A missing item is reported and the
// rest dumped.
TEST_F(AttributeDumpTest, AnItemDumpsAsGetfattrDumpsItAndRestoresByteForByte) {
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const QString file = makeFile(u"awkward"_s);
    for (const auto& [name, value] : QList<std::pair<QByteArray, QByteArray>>{
             {"user.z-last", "plain"},
             {"user.empty", {}},
             {"user.one-nul", QByteArray("abc\0", 4)},
             {"user.two-nul", QByteArray("abc\0\0", 5)},
             {"user.only-nul", QByteArray(1, '\0')},
             {"user.quotes", "say \"hi\" \\ back\\slash \\101"},
             {"user.breaks", "line\nnext\r\n\ttab"},
             {"user.every-byte", everyByte},
             {"user.large", QByteArray(3000, 'x')},
             {"user.utf8-\xc3\xa9", "caf\xc3\xa9"},
             {"user.eq=back\\slash\nnl\rcr\ttab \"q\" #", "v"},
             {"user.bad\xff\xfe\xc3", "\xff"},
             {"user.A-upper-sorts-first", "1"},
         })
        setRaw(file, name, value);
    if (::geteuid() == 0)
        setRaw(file, "trusted.root-only", "t");
    const QByteArray source = QFile::encodeName(file);
    const QStringList paths = {pathOf(u"vanished"_s), file};
    for (const auto& [encoding, name] : encodings) {
        QByteArray theirs = getfattr({}, paths, name);
        EXPECT_EQ(dump(paths, encoding, false), theirs) << name;
        if (encoding == ValueEncoding::Text) // which drops trailing NULs
            continue;
        const QByteArray target = source + "\xff\\\n\r-" + name;
        ASSERT_EQ(::close(::creat(target.constData(), 0644)), 0);
        restore(theirs.replace(AttributeDump::header(source), AttributeDump::header(target)));
        EXPECT_EQ(rawAttributes(target), rawAttributes(source)) << name;
    }
    EXPECT_EQ(m_problems, QStringList(3, paths[0] + u": No such file or directory"_s));
}

TEST_F(AttributeDumpTest, ATreeDumpsAsGetfattrWalksItWithoutFollowingLinks) {
    const QString root = makeFolder(u"tree"_s);
    for (const QByteArray& name :
         QByteArrayList{"a=b", "back\\slash", "new\nline", "car\rriage", "tab\tx", "bad\xff",
                        "sp ace", "q\"uote", "caf\xc3\xa9"}) {
        const int fd = ::creat((QFile::encodeName(root) + '/' + name).constData(), 0644);
        ASSERT_EQ(::fsetxattr(fd, "user.x", name.constData(), size_t(name.size()), 0), 0);
        ::close(fd);
    }
    setRaw(makeFile(u"tree/sub/deeper/inner"_s), "user.inner", "i");
    setRaw(pathOf(u"tree/sub"_s), "user.folder", "f");
    makeFile(u"tree/sub/no-attributes"_s);
    const QString outside = makeFile(u"outside"_s);
    setRaw(outside, "user.outside", "must not appear");
    ASSERT_TRUE(QFile::link(outside, pathOf(u"tree/sub/link"_s)));
    ASSERT_TRUE(QFile::link(pathOf(u"tree/sub"_s), pathOf(u"tree/folder-link"_s)));
    // Only trusted and security attributes can sit on a link itself; its own are dumped.
    const QByteArray link = QFile::encodeName(pathOf(u"tree/sub/link"_s));
    if (::geteuid() == 0) {
        ASSERT_EQ(::lsetxattr(link.constData(), "trusted.on-link", "l", 1, 0), 0);
    }
    // Values are encoded as in an item's dump; the walk adds only names and paths. A missing
    // item is reported and the rest walked.
    const QString missing = pathOf(u"vanished"_s);
    for (const QString& given : {root, root + u'/'}) {
        const QByteArray ours = dump({missing, given}, ValueEncoding::Text, true);
        EXPECT_EQ(ours, getfattr(u"-R -P -h"_s.split(u' '), {missing, given}));
        EXPECT_FALSE(ours.contains("must not appear"));
    }
    EXPECT_EQ(m_problems, QStringList(2, missing + u": No such file or directory"_s));
    // A link given as the path is followed alone; a walk dumps its own attributes.
    const QString folderLink = pathOf(u"tree/folder-link"_s);
    EXPECT_EQ(dump({folderLink}, ValueEncoding::Text, false), getfattr({}, {folderLink}));
    const QStringList links = {folderLink, QString::fromUtf8(link)};
    EXPECT_EQ(dump(links, ValueEncoding::Text, true), getfattr(u"-R -P -h"_s.split(u' '), links));
}

// Each text is written by setfattr --restore and read back raw; ours must decode to the same
// bytes, and refuse exactly what setfattr refuses. One text per rule of the three forms.
TEST_F(AttributeDumpTest, ValuesAndNamesDecodeAsSetfattrReadsThem) {
    const QList<QByteArray> values = {
        // Quoted only with a quote at both ends; escapes: octal of one to three digits (the
        // overflow wraps), \\ and \", and the closing quote may be escaped.
        "plain text  ", "\"quoted\"", "\"\"", "\"", "\"x\"trail", "\"a\"b\"", "\"a\\\"", "\"\\\"a",
        "\"a\\\\\"", "\\", "a\\", "\"\\1x\\12y\\777z\\400w\\08\"", "\"\\8\\9\\n\\q\"", "\\1234",
        "a=b",
        // Hex: either case, white space anywhere, an even number of digits.
        "0xABcd", "0XAB", "0x", "0x4 1 \t42", "0xabc", "0xzz",
        // Base64: whole groups, white space between them, padding last with zero bits.
        "0sYWJj", "0SYWJj", "0s", "0s  ", "0sYWJj YWJj", "0sYWJjYW Jj",
        "0sYWJjZA== ", "0sYWJjZA== YWJj", "0sYR==", "0sYWF=", "0sYWE=", "0sYQ==", "0sYWJjZA",
        "0sYW-_", "0sYWJjZ===", "0sYWJjZA= =", "0sYQ=A",
        // Neither prefix: text.
        "0y", "0"};
    const QList<QByteArray> names = {"user.a\\12b",     "user.c\\0101", "user.d\\\\e",
                                     "user.f\\\"g",     "user.h\\777",  "user.i\\8",
                                     "user.j\\134\\075"};
    const QString file = makeFile(u"target"_s);
    QByteArray text = "# file: " + QFile::encodeName(file) + '\n';
    for (qsizetype i = 0; i < values.size(); ++i)
        text += "user.v" + QByteArray::number(i) + '=' + values[i] + '\n';
    for (const QByteArray& name : names)
        text += name + "=n\n";
    runTool(u"setfattr"_s, {u"--restore=-"_s}, text);

    for (qsizetype i = 0; i < values.size(); ++i) {
        const QByteArray name = "user.v" + QByteArray::number(i);
        const auto theirs = hasRaw(file, name) ? std::optional(getRaw(file, name)) : std::nullopt;
        EXPECT_EQ(AttributeDump::decodeValue(values[i]), theirs) << values[i].toStdString();
    }
    for (const QByteArray& name : names) {
        const QByteArray decoded = AttributeDump::unescapeName(name);
        EXPECT_TRUE(hasRaw(file, decoded)) << name.toStdString();
        EXPECT_EQ(AttributeDump::unescapeName(AttributeDump::escapeName(decoded)), decoded);
    }
}

TEST_F(AttributeDumpTest, EveryRestoreLineThatCannotBeAppliedIsReportedAndTheRestApplied) {
    const QString file = makeFile(u"target"_s);
    const QString missing = pathOf(u"vanished"_s);
    const QString other = makeFile(u"other"_s);
    const qsizetype bound = DumpReader::maxLineLength;
    // Line numbers count from 1; the line breaks are added below.
    const QByteArrayList lines = {
        "user.orphan=1",                           // 1: before any block
        "user.orphan2=2",                          // 2: the same run, reported once
        "",                                        // 3
        "# file: " + missing.toUtf8(),             // 4
        "user.a=\"1\"",                            // 5: no such file
        "",                                        // 6
        "# file: " + file.toUtf8() + "\r",         // 7: a CRLF line end
        "user.hex=0xabc\r",                        // 8: odd number of digits
        "=nameless",                               // 9
        "# a comment, never a name",               // 10
        "user.bare",                               // 11: an empty value
        "user.text=\"a\\012b\"\r",                 // 12
        "user.nul=ab" + QByteArray(1, '\0'),       // 13
        "bare-name=1",                             // 14: no namespace
        "user.later=0sbGF0ZXI=",                   // 15
        "# file: " + other.toUtf8(),               // 16: a new block without a blank line
        "#" + QByteArray(bound - 1, 'c'),          // 17: a comment exactly at the bound
        "user.long=" + QByteArray(bound - 9, 'x'), // 18: one byte beyond it
        "user.other=1",                            // 19
        "",                                        // 20: the block ends
        "user.stray=1",                            // 21: so this one is in none
        "",                                        // 22
        "# file: ",                                // 23: not the current folder
        "user.nowhere=1",                          // 24: skipped with its block
        "",                                        // 25
        "# file: " + file.toUtf8() + "\\000x",     // 26: a NUL would cut the path short
        "user.nowhere=1",                          // 27
        "",                                        // 28
        "# file: " + other.toUtf8(),               // 29
        "user.huge=" + QByteArray(3 * bound, 'h'), // 30: read in many pieces, all dropped
        "user.after=1",                            // 31
        "user.last=0sbGFzdA==",                    // 32: no line feed after the last line
    };
    const DumpRestore::Result result = restore(lines.join('\n'));
    EXPECT_EQ(
        m_problems,
        (QStringList{
            u"backup:1: no \"# file: PATH\" line before this one; skipped up to the next blank line"_s,
            u"backup:5: "_s + missing + u": user.a: No such file or directory"_s,
            u"backup:8: "_s + file +
                u": user.hex: the value is not valid 0x hexadecimal or 0s base64"_s,
            u"backup:9: "_s + file + u": the attribute name is empty"_s,
            u"backup:13: the line holds a NUL byte; skipped"_s,
            u"backup:14: "_s + file + u": bare-name: Operation not supported"_s,
            u"backup:18: the line is longer than 1048576 bytes; skipped"_s,
            u"backup:21: no \"# file: PATH\" line before this one; skipped up to the next blank line"_s,
            u"backup:23: the path is empty; skipped up to the next blank line"_s,
            u"backup:26: the path holds a NUL byte; skipped up to the next blank line"_s,
            u"backup:30: the line is longer than 1048576 bytes; skipped"_s}));
    EXPECT_EQ(std::pair(result.failed, result.applied), (std::pair<qint64, qint64>(11, 6)));
    EXPECT_FALSE(hasRaw(u"."_s, "user.nowhere"));
    EXPECT_EQ(rawAttributes(other.toUtf8()),
              (Attributes{{"user.other", "1"}, {"user.after", "1"}, {"user.last", "last"}}));
    // A last line beyond the bound, without a line feed, is reported as well.
    m_problems.clear();
    EXPECT_EQ(restore("# file: " + other.toUtf8() + "\nuser.end=" + QByteArray(bound, 'e')).failed,
              1);
    EXPECT_EQ(m_problems,
              QStringList{u"backup:2: the line is longer than 1048576 bytes; skipped"_s});
    EXPECT_EQ(rawAttributes(file.toUtf8()),
              (Attributes{{"user.bare", ""}, {"user.text", "a\nb"}, {"user.later", "later"}}));
}

// Each component of a restore path is reached without following a link, by either kind of call
// (the *at calls, and the /proc ones when run again with PALVORN_XATTR_PROC=1): a link on the
// way is reported and nothing is written through it, a link at the end gets the attribute
// itself, ".." is the parent of the folder reached, a relative path starts in the current
// folder, and an item lies at any depth.
TEST_F(AttributeDumpTest, ARestoreWritesOnTheItemItselfAndNeverThroughALink) {
    const QString file = makeFile(u"tree/dir/f"_s);
    const QString below = makeFile(u"tree/dir/sub/g"_s);
    const QByteArray level(200, 'd');
    QString deepPath = pathOf(u"tree/dir"_s);
    int deepFolder = ::open(QFile::encodeName(deepPath).constData(), O_RDONLY | O_DIRECTORY);
    for (int depth = 0; depth < 25; ++depth) { // 25 * 201 bytes: past 4,096
        ::mkdirat(deepFolder, level.constData(), 0700);
        const int next = ::openat(deepFolder, level.constData(), O_RDONLY | O_DIRECTORY);
        ::close(deepFolder);
        deepFolder = next;
        deepPath += u'/' + QString::fromLatin1(level);
    }
    const int deep = ::openat(deepFolder, "bottom", O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ::close(deepFolder);
    ASSERT_GE(deep, 0);
    const QString outside = makeFolder(u"outside"_s);
    const QString outsideFile = makeFile(u"outside/f"_s);
    const QString tree = pathOf(u"tree"_s);
    const QString fileLink = tree + u"/dir/to-file"_s;
    ASSERT_TRUE(QFile::link(outside, tree + u"/to-outside"_s));
    ASSERT_TRUE(QFile::link(outsideFile, fileLink));
    ASSERT_TRUE(QFile::link(outside, tree + u"/dir/sub-link"_s));
    const bool root = ::geteuid() == 0;
    const QString throughLink = tree + u"/to-outside is a symbolic link, not followed"_s;
    struct Case {
        QString path;
        QByteArray line;
        QString reason; // empty: written
    };
    const QList<Case> cases = {
        {file, "user.a=1", {}},
        {tree + u"/dir/../dir/f"_s, "user.b=2", {}},
        {tree + u"/./dir//f"_s, "user.c=3", {}},
        // Below a folder reached before: opened from it, by the rest of the path alone.
        {tree + u"/dir/sub/g"_s, "user.e=5", {}},
        {tree + u"/dir//sub/../sub/g"_s, "user.f=6", {}},
        // "//" is one slash: the rest of this path is not the tree's own path from "/".
        {tree + u"/dir/"_s + tree + u"/dir/sub/g"_s, "user.x=1", u"No such file or directory"_s},
        {tree + u"/dir/sub-link/f"_s, "user.x=1",
         tree + u"/dir/sub-link is a symbolic link, not followed"_s},
        {tree + u"/dir/sub-link/"_s, "user.x=1",
         tree + u"/dir/sub-link is a symbolic link, not followed"_s},
        {u"dir/f"_s, "user.d=4", {}},
        {deepPath + u"/bottom"_s, "user.deep=1", {}},
        {tree + u"/to-outside/f"_s, "user.x=1", throughLink},
        {tree + u"/to-outside/"_s, "user.x=1", throughLink},
        {tree + u"/to-outside/../tree/dir/f"_s, "user.x=1", throughLink},
        {u"to-outside/f"_s, "user.x=1", u"to-outside is a symbolic link, not followed"_s},
        {tree + u"/dir/f/x"_s, "user.x=1", u"Not a directory"_s},
        {tree + u"/missing/f"_s, "user.x=1", u"No such file or directory"_s},
        // Only trusted and security attributes can sit on a link itself, and only root may
        // write trusted ones.
        {fileLink, root ? "trusted.own=l" : "user.x=1",
         root ? QString() : u"Operation not permitted"_s},
    };
    QByteArray text;
    QStringList problems;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const auto& [path, line, reason] = cases[i];
        text += AttributeDump::header(QFile::encodeName(path)) + line + "\n\n";
        if (!reason.isEmpty())
            problems.append(u"backup:%1: "_s.arg(3 * i + 2) + path + u": "_s +
                            QString::fromUtf8(line.first(line.indexOf('='))) + u": "_s + reason);
    }
    const int previousFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::chdir(QFile::encodeName(tree).constData()), 0);
    const auto reset = qScopeGuard([&] {
        EXPECT_EQ(::fchdir(previousFolder), 0);
        ::close(previousFolder);
        ::close(deep);
    });
    SCOPED_TRACE(FolderXattrAccess::calls() == FolderXattrAccess::Calls::ProcCalls ? "/proc calls"
                                                                                   : "*at calls");
    restore(text);
    EXPECT_EQ(m_problems, problems);
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)),
              (Attributes{{"user.a", "1"}, {"user.b", "2"}, {"user.c", "3"}, {"user.d", "4"}}));
    EXPECT_EQ(rawAttributes(QFile::encodeName(below)),
              (Attributes{{"user.e", "5"}, {"user.f", "6"}}));
    for (const QString& untouched : {outside, outsideFile})
        EXPECT_EQ(rawAttributes(QFile::encodeName(untouched)), Attributes());
    for (const QString& link : {tree + u"/to-outside"_s, fileLink}) {
        const qsizetype listed = ::llistxattr(QFile::encodeName(link).constData(), nullptr, 0);
        EXPECT_EQ(listed, link == fileLink && root ? qsizetype(sizeof "trusted.own") : 0);
    }
    EXPECT_EQ(::fgetxattr(deep, "user.deep", nullptr, 0), 1);
}
