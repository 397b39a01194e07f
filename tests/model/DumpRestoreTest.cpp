#include "model/DumpRestore.h"

#include "model/AttributeDump.h"
#include "model/DumpReader.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>

using namespace Qt::Literals::StringLiterals;
using palvorn::AttributeDump;
using palvorn::DumpRestore;

namespace {

class DumpRestoreTest : public XattrFixture {
protected:
    DumpRestore::Result restore(QByteArray dump) {
        QBuffer buffer(&dump);
        buffer.open(QIODevice::ReadOnly);
        return DumpRestore::apply(buffer, u"backup"_s,
                                  [this](const QString& text) { m_problems.append(text); });
    }

    QStringList m_problems;
};

} // namespace

// getfattr's hex and base64 dumps (which ours match byte for byte) restore every awkward value
// onto a file whose name is not UTF-8 and holds characters that the header escapes.
TEST_F(DumpRestoreTest, GetfattrsDumpsRestoreByteForByte) {
    const QString sourceFile = makeFile(u"source"_s);
    for (const auto& [name, value] : awkwardAttributes())
        setRaw(sourceFile, name, value);
    const QByteArray source = QFile::encodeName(sourceFile);
    for (const QString& encoding : {u"hex"_s, u"base64"_s}) {
        const QByteArray target = source.chopped(6) + "\xff\\\n\r-" + encoding.toUtf8();
        ASSERT_EQ(::close(::creat(target.constData(), 0644)), 0);
        QByteArray dump = runTool(u"getfattr"_s, u"-d -m - --absolute-names -e"_s.split(u' ')
                                                     << encoding << sourceFile);
        ASSERT_TRUE(dump.startsWith(AttributeDump::header(source)));
        dump.replace(AttributeDump::header(source), AttributeDump::header(target));
        restore(dump);
        EXPECT_EQ(m_problems, QStringList{});
        EXPECT_EQ(rawAttributes(target), rawAttributes(source)) << encoding.toStdString();
        ::unlink(target.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
    }
}

TEST_F(DumpRestoreTest, EveryLineThatCannotBeAppliedIsReportedAndTheRestApplied) {
    const QByteArray file = QFile::encodeName(makeFile(u"target"_s));
    const QByteArray missing = QFile::encodeName(pathOf(u"vanished"_s));
    const QByteArray other = QFile::encodeName(makeFile(u"other"_s));
    const qsizetype bound = palvorn::DumpReader::maxLineLength;
    // Line numbers count from 1; the line breaks are added below.
    const QByteArrayList lines = {
        "user.orphan=1",                           // 1: before any block
        "user.orphan2=2",                          // 2: the same run, reported once
        "",                                        // 3
        "# file: " + missing,                      // 4
        "user.a=\"1\"",                            // 5: no such file
        "",                                        // 6
        "# file: " + file + "\r",                  // 7: a CRLF line end
        "user.hex=0xabc\r",                        // 8: odd number of digits
        "=nameless",                               // 9
        "# a comment, never a name",               // 10
        "user.bare",                               // 11: an empty value
        "user.text=\"a\\012b\"\r",                 // 12
        "user.nul=ab" + QByteArray(1, '\0'),       // 13
        "bare-name=1",                             // 14: no namespace
        "user.later=0sbGF0ZXI=",                   // 15
        "# file: " + other,                        // 16: a new block without a blank line
        "#" + QByteArray(bound - 1, 'c'),          // 17: a comment exactly at the bound
        "user.long=" + QByteArray(bound - 9, 'x'), // 18: one byte beyond it
        "user.other=1",                            // 19
    };
    const DumpRestore::Result result = restore(lines.join('\n') + '\n');
    const QString missingShown = QString::fromUtf8(missing);
    const QString fileShown = QString::fromUtf8(file);
    EXPECT_EQ(
        m_problems,
        (QStringList{
            u"backup:1: no \"# file: PATH\" line before this one; skipped up to the next blank line"_s,
            u"backup:5: "_s + missingShown + u": user.a: No such file or directory"_s,
            u"backup:8: "_s + fileShown +
                u": user.hex: the value is not valid 0x hexadecimal or 0s base64"_s,
            u"backup:9: "_s + fileShown + u": the attribute name is empty"_s,
            u"backup:13: the line holds a NUL byte; skipped"_s,
            u"backup:14: "_s + fileShown + u": bare-name: Operation not supported"_s,
            u"backup:18: the line is longer than 1048576 bytes; skipped"_s}));
    EXPECT_EQ(result.failed, 7);
    EXPECT_EQ(result.applied, 4);
    EXPECT_EQ(rawAttributes(other), (Attributes{{"user.other", "1"}}));
    EXPECT_EQ(rawAttributes(file),
              (Attributes{{"user.bare", ""}, {"user.text", "a\nb"}, {"user.later", "later"}}));
}
