#include "core/model/ResourceList.h"

#include "core/model/XattrAccess.h"
#include "support/AsAnotherUser.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using ResourceListTest = XattrFixture;

// Every value of a folder, a file without any and a missing item that fails once.
TEST_F(ResourceListTest, LoadsEveryValueAsATypedRecordInListOrder) {
    const QString folder = makeFolder(u"folder with space"_s);
    setRaw(folder, "user.text", "a text value with umlaut \xc3\xa4");
    setRaw(folder, "user.empty", {});
    setRaw(folder, "user.plist", "bplist00 not really");
    setRaw(folder, "user.not-utf8\xff", "kept");

    const ResourceList list(QUrl::fromLocalFile(folder));
    QList<QByteArray> names;
    for (const ResourceItemPtr& item : list.children()) {
        names.append(item->rawName());
        EXPECT_EQ(item->data(), getRaw(folder, item->rawName()));
        EXPECT_EQ(item->type(), item->detectType());
    }
    EXPECT_EQ(names, listRaw(nativePath(folder)));
    EXPECT_EQ(list.url().toLocalFile(), folder);
    EXPECT_TRUE(list.failures().isEmpty());
    const ResourceList plain(QUrl::fromLocalFile(makeFile(u"plain"_s)));
    EXPECT_TRUE(plain.children().isEmpty());
    EXPECT_TRUE(plain.failures().isEmpty());

    const ResourceList missing(QUrl::fromLocalFile(pathOf(u"missing"_s)));
    EXPECT_TRUE(missing.children().isEmpty());
    QStringList failures;
    for (const Error& failure : missing.failures())
        failures.append(failure.text());
    EXPECT_EQ(failures, QStringList{u"listxattr error: No such file or directory (\u201c"_s +
                                    pathOf(u"missing"_s) + u"\u201d)"_s});
}

// A value that cannot be read keeps its row in the listed order, with its failure, and stays out of
// the records. Listing needs no read permission, reading a user value does.
TEST_F(ResourceListTest, AnUnreadableValueKeepsItsRowWithItsFailure) {
    const AsAnotherUser other;
    const QString file = other.filePath(u"write-only"_s);
    QFile(file).open(QIODevice::WriteOnly);
    setRaw(file, "user.first", "1");
    setRaw(file, "user.second", "22");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::WriteOwner | QFile::WriteOther));
    std::optional<ResourceList> list;
    AsAnotherUser::run([&] { list.emplace(ResourceList::ofPath(file)); });
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->children().isEmpty());
    QList<QByteArray> names;
    for (const ResourceList::Row& row : list->rows()) {
        names.append(row.name);
        EXPECT_EQ(row.record, nullptr);
        ASSERT_TRUE(row.unreadable);
        EXPECT_EQ(row.unreadable->text(), u"getxattr error: Permission denied (attribute \u201c"_s +
                                              QString::fromUtf8(row.name) + u"\u201d of \u201c"_s +
                                              file + u"\u201d)"_s);
    }
    EXPECT_EQ(names, listRaw(nativePath(file)));
    EXPECT_EQ(list->failures().size(), 2);
}
