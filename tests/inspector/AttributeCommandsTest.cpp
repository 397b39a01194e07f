#include "inspector/AttributeCommands.h"

#include "model/XattrAccess.h"
#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class AttributeCommandsTest : public XattrFixture {};

ResourceItemPtr record(const QString& name, const QByteArray& data) {
    return std::make_shared<ResourceItem>(name, data);
}

} // namespace

TEST_F(AttributeCommandsTest, EachFailureIsReportedAndTheRestGoesOn) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.keep", "k");
    setRaw(file, "user.b", "b");

    EXPECT_EQ(
        textsOf(AttributeCommands::writeRecord(pathOf(u"missing/f"_s), *record(u"user.a"_s, "a"))),
        QStringList{u"setxattr error: No such file or directory (attribute \u201cuser.a\u201d "
                    "of \u201c"_s +
                    pathOf(u"missing/f"_s) + u"\u201d)"_s});
    EXPECT_EQ(
        textsOf(AttributeCommands::removeRecords(
            file, {record(u"user.gone"_s, {}), record(u"user.b"_s, {}),
                   std::make_shared<ResourceItem>(QByteArray("user.bad\xff"), QByteArray())})),
        (QStringList{u"removexattr error: No data available (attribute \u201cuser.gone\u201d "
                     "of \u201c"_s +
                         file + u"\u201d)"_s,
                     u"removexattr error: No data available (attribute "
                     "\u201cuser.bad\\xff\u201d of \u201c"_s +
                         file + u"\u201d)"_s}));
    EXPECT_FALSE(hasRaw(file, "user.b"));
    EXPECT_EQ(getRaw(file, "user.keep"), "k");
}

// Names arrive byte for byte, and a foreign name gets its namespace.
TEST_F(AttributeCommandsTest, PastingWritesRecordsAndSkipsEverythingElse) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.exists", "old value");
    const QList<QByteArray> archives = {record(u"user.exists"_s, "new")->archive(),
                                        "plain text",
                                        record(u"user.empty"_s, {})->archive(),
                                        QByteArray(),
                                        ResourceItem(QByteArray("user.bad\xff\xfe"), "v").archive(),
                                        record(u"com.apple.quarantine"_s, "q")->archive()};
    EXPECT_TRUE(AttributeCommands::pasteArchives(file, archives).isEmpty());
    EXPECT_EQ(getRaw(file, "user.exists"), "new");
    EXPECT_TRUE(hasRaw(file, "user.empty"));
    EXPECT_EQ(getRaw(file, "user.bad\xff\xfe"), "v");
    EXPECT_EQ(getRaw(file, "user.com.apple.quarantine"), "q");
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 4);
}

// The editor's save: the shown name unchanged writes the original's own bytes; a changed name only
// creates, and never replaces the attribute in the way; the original is never removed.
TEST_F(AttributeCommandsTest, SavingAnEditedRecordNeverReplacesAnotherName) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.bad\xff", "old");
    setRaw(file, "user.other", "precious");
    const ResourceItem original(QByteArray("user.bad\xff"), "old");

    EXPECT_TRUE(AttributeCommands::saveEditedRecord(file, &original,
                                                    ResourceItem(u"user.bad\\xff"_s, "edited"))
                    .isEmpty());
    EXPECT_EQ(getRaw(file, "user.bad\xff"), "edited");

    const QList<AttributeFailure> refused =
        AttributeCommands::saveEditedRecord(file, &original, ResourceItem(u"user.other"_s, "x"));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.first().name(), "user.other");
    EXPECT_TRUE(refused.first().text().contains(u"already exists"_s));
    EXPECT_EQ(getRaw(file, "user.other"), "precious");

    EXPECT_TRUE(AttributeCommands::saveEditedRecord(file, &original, ResourceItem(u"new"_s, "n"))
                    .isEmpty());
    EXPECT_EQ(getRaw(file, "user.new"), "n");
    EXPECT_EQ(getRaw(file, "user.bad\xff"), "edited");
    EXPECT_TRUE(
        AttributeCommands::saveEditedRecord(file, nullptr, ResourceItem(u"user.other"_s, "chosen"))
            .isEmpty());
    EXPECT_EQ(getRaw(file, "user.other"), "chosen");

    // A name that names nothing is refused as such, naming the file, whether new or renamed.
    const QString refusal =
        u"An attribute needs a name, so nothing was saved (\u201c"_s + file + u"\u201d)."_s;
    for (const QString& empty : {u""_s, u"user."_s}) {
        EXPECT_EQ(
            textsOf(AttributeCommands::saveEditedRecord(file, nullptr, ResourceItem(empty, "v"))),
            QStringList{refusal});
        EXPECT_EQ(
            textsOf(AttributeCommands::saveEditedRecord(file, &original, ResourceItem(empty, "v"))),
            QStringList{refusal});
    }
    EXPECT_EQ(getRaw(file, "user.bad\xff"), "edited");
}
