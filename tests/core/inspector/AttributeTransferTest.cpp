#include "core/inspector/AttributeTransfer.h"

#include "core/model/ByteText.h"
#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using AttributeTransferTest = XattrFixture;

QString failedPath(const QList<Error>& failures) {
    return failures.size() == 1 ? failures.front().path() : u"%1 failures"_s.arg(failures.size());
}

} // namespace

// A dump that cannot be opened, or whose write fails half-way (the file size limit, hit after
// 4 KiB, when the buffered dump is flushed), names the dump file and keeps the previous one; the
// inspected file is never replaced by its dump. A file without attributes has an empty dump.
TEST_F(AttributeTransferTest, FailuresNameTheirFileAndTheRestGoesOn) {
    const QString dump = pathOf(u"empty.dump"_s);
    const QString bare = makeFile(u"bare"_s);
    EXPECT_EQ(textsOf(AttributeTransfer::exportDump(bare, dump)), QStringList());
    EXPECT_EQ(runTool(u"cat"_s, {dump}), QByteArray());

    const QString file = makeFile(u"f"_s, "content");
    setRaw(file, "user.a", QByteArray(4000, 'v'));
    const QString missing = pathOf(u"missing/f.dump"_s);
    EXPECT_EQ(failedPath(AttributeTransfer::exportDump(file, missing)), missing);
    EXPECT_EQ(failedPath(AttributeTransfer::exportDump(file, file)), file);
    const QString link = pathOf(u"link to f"_s); // saving through it would replace f
    ASSERT_TRUE(QFile::link(file, link));
    EXPECT_EQ(failedPath(AttributeTransfer::exportDump(file, link)), link);
    EXPECT_EQ(getRaw(file, "user.a"), QByteArray(4000, 'v'));

    const QString previous = makeFile(u"f.dump"_s, "the previous dump\n");
    EXPECT_TRUE(succeedsWithFileSizeLimit(4096, [&] {
        return failedPath(AttributeTransfer::exportDump(file, previous)) == previous;
    }));
    EXPECT_EQ(runTool(u"cat"_s, {previous}), "the previous dump\n");

    // An import names unreadable lines with their line, names that cannot be written with their
    // name, and reads and writes the rest.
    const QString in = makeFile(u"in.dump"_s, "# file: /a\nuser.x=0xZZ\nuser.y=\"1\"\n"
                                              "user.y=\"2\"\n\n");
    const AttributeTransfer::Import read = AttributeTransfer::readDump(in);
    EXPECT_EQ(read.values, (AttributeChange::Values{{"user.y", QByteArray("2")}}));
    ASSERT_EQ(failedPath(read.problems), in);
    EXPECT_TRUE(read.problems.front().reason().startsWith(u"line 2: "_s));

    // A dump named by bytes that are not UTF-8 is read; a FIFO is refused, not waited on.
    const QByteArray bytes = QFile::encodeName(pathOf(u"bad"_s)) + "\xff.dump";
    ASSERT_EQ(::link(QFile::encodeName(in).constData(), bytes.constData()), 0);
    EXPECT_EQ(AttributeTransfer::readDump(ByteText::decode(bytes)).values, read.values);
    const QString fifo = pathOf(u"fifo.dump"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(textsOf(AttributeTransfer::readDump(fifo).problems),
              QStringList{u"It is not a regular file, so it was not read (\u201c"_s + fifo +
                          u"\u201d)."_s});

    const QList<Error> failures = AttributeTransfer::apply(
        bare, {{"user.ok", QByteArray("1")}, {"nonamespace.x", QByteArray("2")}});
    ASSERT_EQ(failedPath(failures), bare);
    EXPECT_EQ(failures.front().name(), "nonamespace.x");
    EXPECT_EQ(rawAttributes(QFile::encodeName(bare)), (Attributes{{"user.ok", "1"}}));
}
