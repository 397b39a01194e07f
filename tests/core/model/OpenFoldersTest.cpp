#include "core/model/OpenFolders.h"

#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

ino_t inodeOf(int fd) {
    struct stat status = {};
    ::fstat(fd, &status);
    return status.st_ino;
}

ino_t inodeOf(const QString& path) {
    struct stat status = {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_ino;
}

} // namespace

using OpenFoldersTest = XattrFixture;

// Room for the start and one folder: entering another closes the one before. A closed folder is
// opened again from its parent only while it is still the folder entered; replaced by another
// folder or by a link, it is refused with its path, and nothing below it is reached through it.
TEST_F(OpenFoldersTest, AClosedFolderIsOpenedAgainOnlyWhileItIsTheSameFolder) {
    const QString root = makeFolder(u"root"_s);
    for (const QString& name : {u"a/inner"_s, u"b"_s, u"elsewhere/inner"_s})
        makeFolder(u"root/"_s + name);
    OpenFolders folders(2);
    const std::shared_ptr<WalkedFolder> start = folders.addStart(
        ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
        QFile::encodeName(root));
    OpenFolders::Failure failure;
    const auto enter = [&](const std::shared_ptr<WalkedFolder>& parent, const char* name) {
        auto folder = std::make_shared<WalkedFolder>();
        folder->parent = parent;
        folder->path = parent->path + '/' + name;
        folder->nameAt = parent->path.size() + 1;
        OpenFolders::Lease lease;
        EXPECT_TRUE(folders.enter(folder, &lease, &failure)) << failure.reason.toStdString();
        folder->waiting = 1; // a later part needs it
        return folder;
    };
    const std::shared_ptr<WalkedFolder> a = enter(start, "a");
    const std::shared_ptr<WalkedFolder> inner = enter(a, "inner");
    EXPECT_EQ(folders.openCount(), 2); // a was closed once inner was open
    {
        const OpenFolders::Lease lease = folders.reach(a, &failure);
        ASSERT_TRUE(lease) << failure.reason.toStdString();
        EXPECT_EQ(inodeOf(lease.fd()), inodeOf(root + u"/a"_s));
    }
    enter(start, "b"); // closes a again
    ASSERT_TRUE(QDir(root).rename(u"a"_s, u"a-old"_s));
    ASSERT_TRUE(QDir(root).rename(u"elsewhere"_s, u"a"_s));
    EXPECT_FALSE(folders.reach(inner, &failure));
    EXPECT_EQ(failure.path, QFile::encodeName(root + u"/a"_s));
    EXPECT_EQ(failure.reason,
              u"replaced by another item during the walk; nothing more in it is walked"_s);

    ASSERT_TRUE(QDir(root).rename(u"a"_s, u"elsewhere"_s));
    ASSERT_TRUE(QFile::link(u"a-old"_s, root + u"/a"_s));
    failure = {};
    EXPECT_FALSE(folders.reach(a, &failure));
    EXPECT_EQ(failure.path, QFile::encodeName(root + u"/a"_s));
    EXPECT_EQ(failure.reason, u"Not a directory"_s);
    EXPECT_LE(folders.openCount(), 2);
}
