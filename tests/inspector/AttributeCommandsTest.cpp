#include "inspector/AttributeCommands.h"

#include "model/XattrAccess.h"
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

    EXPECT_EQ(AttributeCommands::writeRecord(pathOf(u"missing/f"_s), *record(u"user.a"_s, "a")),
              QStringList{u"setxattr error: No such file or directory"_s});
    EXPECT_EQ(AttributeCommands::removeRecords(
                  file, {record(u"user.gone"_s, {}), record(u"user.b"_s, {})}),
              QStringList{u"removexattr error: No data available"_s});
    EXPECT_FALSE(hasRaw(file, "user.b"));
    EXPECT_EQ(getRaw(file, "user.keep"), "k");
}

TEST_F(AttributeCommandsTest, PastingWritesRecordsAndSkipsEverythingElse) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.exists", "old value");
    const QList<QByteArray> archives = {record(u"user.exists"_s, "new")->archive(), "plain text",
                                        record(u"user.empty"_s, {})->archive(), QByteArray()};
    EXPECT_TRUE(AttributeCommands::pasteArchives(file, archives).isEmpty());
    EXPECT_EQ(getRaw(file, "user.exists"), "new");
    EXPECT_TRUE(hasRaw(file, "user.empty"));
    EXPECT_EQ(listXattrs(nativePath(file)).size(), 2);
}
