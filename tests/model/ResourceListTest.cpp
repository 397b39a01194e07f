#include "model/ResourceList.h"

#include "model/XattrAccess.h"
#include "platform/RecordingErrorAlert.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using ResourceListTest = XattrFixture;

// Every value of a folder, a file without any and a missing item that shows one alert.
TEST_F(ResourceListTest, LoadsEveryValueAsATypedRecordInListOrder) {
    const QString folder = makeFolder(u"folder with space"_s);
    setRaw(folder, "user.text", "a text value with umlaut \xc3\xa4");
    setRaw(folder, "user.empty", {});
    setRaw(folder, "user.plist", "bplist00 not really");
    setRaw(folder, "user.not-utf8\xff", "kept");

    RecordingErrorAlert alert;
    const ResourceList list(QUrl::fromLocalFile(folder), alert);
    QList<QByteArray> names;
    for (const ResourceItemPtr& item : list.children()) {
        names.append(item->rawName());
        EXPECT_EQ(item->data(), getRaw(folder, item->rawName()));
        EXPECT_EQ(item->type(), item->detectType());
    }
    EXPECT_EQ(names, listRaw(nativePath(folder)));
    EXPECT_EQ(list.url().toLocalFile(), folder);
    EXPECT_TRUE(
        ResourceList(QUrl::fromLocalFile(makeFile(u"plain"_s)), alert).children().isEmpty());

    const ResourceList missing(QUrl::fromLocalFile(pathOf(u"missing"_s)), alert);
    EXPECT_TRUE(missing.children().isEmpty());
    EXPECT_EQ(alert.shown(), QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                         pathOf(u"missing"_s) + u"\u201d)"_s});
}
