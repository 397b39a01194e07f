#include "inspector/AttributeTransfer.h"

#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using AttributeTransferTest = XattrFixture;

TEST_F(AttributeTransferTest, AFileWithoutAttributesExportsAnEmptyDump) {
    const QString dump = pathOf(u"empty.dump"_s);
    EXPECT_EQ(textsOf(AttributeTransfer::exportDump(makeFile(u"bare"_s), dump)), QStringList());
    EXPECT_EQ(QFile(dump).size(), 0);
}

// A dump that cannot be opened, or whose write fails half-way (the file size limit, hit after
// 4 KiB, when the buffered dump is flushed), names the dump file and keeps the previous one.
TEST_F(AttributeTransferTest, AnExportThatCannotBeSavedNamesTheDumpFileAndKeepsTheOldOne) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", QByteArray(4000, 'v'));
    const QString missing = pathOf(u"missing/f.dump"_s);
    const QList<AttributeFailure> failures = AttributeTransfer::exportDump(file, missing);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.front().path(), missing);

    const QString dump = makeFile(u"f.dump"_s, "the previous dump\n");
    EXPECT_TRUE(succeedsWithFileSizeLimit(4096, [&] {
        const QList<AttributeFailure> halfWay = AttributeTransfer::exportDump(file, dump);
        return halfWay.size() == 1 && halfWay.front().path() == dump;
    }));
    QFile kept(dump);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the previous dump\n");
}

TEST_F(AttributeTransferTest, TheInspectedFileIsNeverReplacedByItsDump) {
    const QString file = makeFile(u"f"_s, "content");
    setRaw(file, "user.a", "1");
    const QList<AttributeFailure> failures = AttributeTransfer::exportDump(file, file);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.front().path(), file);
    EXPECT_EQ(getRaw(file, "user.a"), "1");
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "content");
}

TEST_F(AttributeTransferTest, UnreadableLinesAreReportedWithTheirLineAndTheRestIsRead) {
    const QString dump = makeFile(u"in.dump"_s, "# file: /a\nuser.x=0xZZ\nuser.y=\"1\"\n"
                                                "user.y=\"2\"\n\n");
    const AttributeTransfer::Import read = AttributeTransfer::readDump(dump);
    EXPECT_EQ(read.values, (AttributeChange::Values{{"user.y", QByteArray("2")}}));
    ASSERT_EQ(read.problems.size(), 1);
    EXPECT_EQ(read.problems.front().path(), dump);
    EXPECT_TRUE(read.problems.front().reason().startsWith(u"line 2: "_s));
}

TEST_F(AttributeTransferTest, ANameThatCannotBeWrittenIsNamedAndTheRestIsWritten) {
    const QString file = makeFile(u"f"_s);
    const QList<AttributeFailure> failures = AttributeTransfer::apply(
        file, {{"user.ok", QByteArray("1")}, {"nonamespace.x", QByteArray("2")}});
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.front().name(), "nonamespace.x");
    EXPECT_EQ(failures.front().path(), file);
    EXPECT_EQ(getRaw(file, "user.ok"), "1");
}
