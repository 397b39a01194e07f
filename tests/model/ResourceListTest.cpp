#include "model/ResourceList.h"

#include "model/XattrAccess.h"
#include "platform/RecordingErrorAlert.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class ResourceListTest : public XattrFixture {};

QList<QByteArray> namesOf(const ResourceList& list) {
    QList<QByteArray> names;
    for (const ResourceItemPtr& item : list.children())
        names.append(item->rawName());
    return names;
}

} // namespace

TEST_F(ResourceListTest, LoadsEveryValueAsATypedRecordInListOrder) {
    const QString folder = makeFolder(u"folder with space"_s);
    setRaw(folder, "user.text", "a text value with umlaut \xc3\xa4");
    setRaw(folder, "user.empty", {});
    setRaw(folder, "user.plist", "bplist00 not really");
    setRaw(folder, "user.not-utf8\xff", "kept");

    RecordingErrorAlert alert;
    const ResourceList list(QUrl::fromLocalFile(folder), alert);
    EXPECT_TRUE(alert.shown().isEmpty());
    ASSERT_EQ(namesOf(list), listRaw(nativePath(folder)));
    for (const ResourceItemPtr& item : list.children()) {
        EXPECT_EQ(item->data(), getRaw(folder, item->rawName()));
        EXPECT_EQ(item->type(), item->detectType());
    }
    EXPECT_EQ(list.url().toLocalFile(), folder);

    const ResourceList none(QUrl::fromLocalFile(makeFile(u"plain"_s)), alert);
    EXPECT_TRUE(none.children().isEmpty());
    EXPECT_TRUE(alert.shown().isEmpty());
}

TEST_F(ResourceListTest, FailedListingShowsOneAlertAndLoadsNothing) {
    RecordingErrorAlert alert;
    const ResourceList list(QUrl::fromLocalFile(pathOf(u"missing"_s)), alert);
    EXPECT_TRUE(list.children().isEmpty());
    EXPECT_EQ(alert.shown(), QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                         pathOf(u"missing"_s) + u"\u201d)"_s});
    EXPECT_EQ(list.failures().size(), 1);
}
