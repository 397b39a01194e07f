#include "inspector/AttributeTransfer.h"

#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using AttributeTransferTest = XattrFixture;

QStringList textsOf(const QList<AttributeFailure>& failures) {
    QStringList texts;
    for (const AttributeFailure& failure : failures)
        texts.append(failure.text());
    return texts;
}

} // namespace

TEST_F(AttributeTransferTest, AFileWithoutAttributesExportsAnEmptyDump) {
    const QString dump = pathOf(u"empty.dump"_s);
    EXPECT_EQ(textsOf(AttributeTransfer::exportDump(makeFile(u"bare"_s), dump)), QStringList());
    EXPECT_EQ(QFile(dump).size(), 0);
}

TEST_F(AttributeTransferTest, AnExportThatCannotBeSavedNamesTheDumpFile) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "1");
    const QString dump = pathOf(u"missing/f.dump"_s);
    const QList<AttributeFailure> failures = AttributeTransfer::exportDump(file, dump);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.front().path(), dump);
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
