#include "model/DumpRestore.h"

#include "model/AttributeDump.h"
#include "model/DumpReader.h"
#include "model/DumpWriter.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QMap>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;
using palvorn::AttributeDump;
using palvorn::DumpEncoding;
using palvorn::DumpRestore;
using palvorn::DumpWriter;

namespace {

using Attributes = QMap<QByteArray, QByteArray>;

QByteArray runTool(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
}

struct Restored {
    DumpRestore::Result result;
    QStringList problems;
};

Restored restore(QByteArray dump) {
    Restored restored;
    QBuffer buffer(&dump);
    buffer.open(QIODevice::ReadOnly);
    restored.result = DumpRestore::apply(
        buffer, u"backup"_s, [&restored](const QString& text) { restored.problems.append(text); });
    return restored;
}

class DumpRestoreTest : public XattrFixture {
protected:
    // Straight from the system, so that the code under test cannot hide its own faults.
    static Attributes rawAttributes(const QByteArray& path) {
        QByteArray list(65536, '\0');
        const ssize_t size =
            ::listxattr(path.constData(), list.data(), static_cast<size_t>(list.size()));
        EXPECT_GE(size, 0);
        list.truncate(size < 0 ? 0 : size);
        Attributes attributes;
        for (const QByteArray& name : list.split('\0')) {
            if (name.isEmpty())
                continue;
            QByteArray value(65536, '\0');
            const ssize_t length = ::getxattr(path.constData(), name.constData(), value.data(),
                                              static_cast<size_t>(value.size()));
            value.truncate(length < 0 ? 0 : length);
            attributes.insert(name, value);
        }
        return attributes;
    }

    // A new empty file whose name is not UTF-8 and holds characters that a dump escapes.
    QByteArray makeAwkwardlyNamedFile(const QByteArray& tag) {
        const QByteArray path = QFile::encodeName(pathOf(u"x"_s)).chopped(1) + "\xff\\\n\r-" + tag;
        EXPECT_EQ(::close(::creat(path.constData(), 0644)), 0);
        return path;
    }

    QString makeAwkwardFile(const QString& name) {
        const QString file = makeFile(name);
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte += static_cast<char>(b);
        setRaw(file, "user.empty", {});
        setRaw(file, "user.one-nul", QByteArray("abc\0", 4));
        setRaw(file, "user.only-nul", QByteArray(1, '\0'));
        setRaw(file, "user.quotes", "say \"hi\" \\ \\101");
        setRaw(file, "user.breaks", "a\nb\r\n");
        setRaw(file, "user.every-byte", everyByte);
        setRaw(file, "user.eq=back\\slash\nnl\rcr\t#", "v");
        setRaw(file, "user.large", QByteArray(3000, 'x'));
        setRaw(file, "user.not-utf8-\xff\xfe\xc3", "\xff");
        if (::geteuid() == 0)
            setRaw(file, "trusted.root-only", "t");
        return file;
    }
};

} // namespace

TEST_F(DumpRestoreTest, DumpsRoundTripWithTheAttrToolsByteForByte) {
    const QByteArray source = QFile::encodeName(makeAwkwardFile(u"source"_s));
    const QByteArray sourceHeader = AttributeDump::header(source);
    for (const DumpEncoding encoding : {DumpEncoding::Hex, DumpEncoding::Base64}) {
        const QByteArray encodingName = encoding == DumpEncoding::Hex ? "hex" : "base64";
        // getfattr's dump, restored by palvorn.
        const QByteArray byUs = makeAwkwardlyNamedFile("by-us-" + encodingName);
        QByteArray theirs = runTool(u"getfattr"_s,
                                    {u"-d"_s, u"-m"_s, u"-"_s, u"--absolute-names"_s, u"-e"_s,
                                     QString::fromLatin1(encodingName), QFile::decodeName(source)},
                                    {});
        ASSERT_TRUE(theirs.startsWith(sourceHeader));
        theirs.replace(sourceHeader, AttributeDump::header(byUs));
        const Restored restored = restore(theirs);
        EXPECT_EQ(restored.problems, QStringList{});
        EXPECT_EQ(rawAttributes(byUs), rawAttributes(source)) << encodingName.toStdString();

        // palvorn's dump, restored by setfattr.
        const QByteArray byThem = makeAwkwardlyNamedFile("by-setfattr-" + encodingName);
        QByteArray ours;
        QBuffer buffer(&ours);
        buffer.open(QIODevice::WriteOnly);
        DumpWriter(buffer, encoding, [](const QString&) {}).dumpItem(source);
        ours.replace(sourceHeader, AttributeDump::header(byThem));
        runTool(u"setfattr"_s, {u"--restore=-"_s}, ours);
        EXPECT_EQ(rawAttributes(byThem), rawAttributes(source)) << encodingName.toStdString();
        // QTemporaryDir cannot remove a name that is not UTF-8.
        ::unlink(byUs.constData());
        ::unlink(byThem.constData());
    }
}

TEST_F(DumpRestoreTest, EveryLineThatCannotBeAppliedIsReportedAndTheRestApplied) {
    const QByteArray file = QFile::encodeName(makeFile(u"target"_s));
    const QByteArray missing = QFile::encodeName(pathOf(u"vanished"_s));
    const QByteArray other = QFile::encodeName(makeFile(u"other"_s));
    // Line numbers count from 1; the line breaks are added below.
    const QByteArrayList lines = {
        "user.orphan=1",                     // 1: before any block
        "user.orphan2=2",                    // 2: the same run, reported once
        "",                                  // 3
        "# file: " + missing,                // 4
        "user.a=\"1\"",                      // 5: no such file
        "",                                  // 6
        "# file: " + file + "\r",            // 7: a CRLF line end
        "user.hex=0xabc\r",                  // 8: odd number of digits
        "=nameless",                         // 9
        "# a comment, never a name",         // 10
        "user.bare",                         // 11: an empty value
        "user.text=\"a\\012b\"\r",           // 12
        "user.nul=ab" + QByteArray(1, '\0'), // 13
        "bare-name=1",                       // 14: no namespace
        "user.later=0sbGF0ZXI=",             // 15
        "# file: " + other,                  // 16: a new block without a blank line
        "user.other=1",                      // 17
    };
    const QByteArray dump = lines.join('\n') + '\n';
    const Restored restored = restore(dump);
    const QString missingShown = QString::fromUtf8(missing);
    const QString fileShown = QString::fromUtf8(file);
    EXPECT_EQ(
        restored.problems,
        (QStringList{
            u"backup:1: no \"# file: PATH\" line before this one; skipped up to the next blank line"_s,
            u"backup:5: "_s + missingShown + u": user.a: No such file or directory"_s,
            u"backup:8: "_s + fileShown +
                u": user.hex: the value is not valid 0x hexadecimal or 0s base64"_s,
            u"backup:9: "_s + fileShown + u": the attribute name is empty"_s,
            u"backup:13: the line holds a NUL byte; skipped"_s,
            u"backup:14: "_s + fileShown + u": bare-name: Operation not supported"_s}));
    EXPECT_EQ(restored.result.failed, 6);
    EXPECT_EQ(restored.result.applied, 4);
    EXPECT_EQ(rawAttributes(other), (Attributes{{"user.other", "1"}}));
    EXPECT_EQ(rawAttributes(file),
              (Attributes{{"user.bare", ""}, {"user.text", "a\nb"}, {"user.later", "later"}}));
}

TEST_F(DumpRestoreTest, ALineBeyondTheBoundIsSkippedAndTheNextRead) {
    const QByteArray file = QFile::encodeName(makeFile(u"target"_s));
    const qsizetype bound = palvorn::DumpReader::maxLineLength;
    // A comment line exactly at the bound is read (and ignored); one byte more is refused.
    const Restored restored =
        restore("# file: " + file + "\n#" + QByteArray(bound - 1, 'c') +
                "\nuser.long=" + QByteArray(bound - 9, 'x') + "\nuser.after=1\n");
    ASSERT_EQ(restored.problems.size(), 1);
    EXPECT_TRUE(restored.problems.constFirst().startsWith(u"backup:3: the line is longer than"_s))
        << restored.problems.constFirst().toStdString();
    EXPECT_FALSE(hasRaw(QFile::decodeName(file), "user.long"));
    EXPECT_EQ(getRaw(QFile::decodeName(file), "user.after"), "1");
}
