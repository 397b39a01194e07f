#include "model/FolderWalk.h"

#include "model/WalkErrors.h"
#include "model/WalkProgress.h"
#include "support/XattrFixture.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class FolderWalkTest : public XattrFixture {
protected:
    // The paths visited in turn; also sees each item as it is visited.
    QStringList walk(const QString& folder, const FolderWalk::Options& options,
                     const FolderWalk::Visitor& also = nullptr) {
        QStringList visited;
        QString error;
        const auto visit = [&](const FolderWalk::Item& item) {
            visited.append(QFile::decodeName(item.path));
            if (also)
                also(item);
        };
        const auto failed = [this](const QByteArray& path, const QString& reason) {
            m_errors.append(QFile::decodeName(path) + u": "_s + reason);
        };
        EXPECT_TRUE(FolderWalk::walk(folder, visit, failed, options, &error))
            << error.toStdString();
        return visited;
    }

    QStringList m_errors;
};

} // namespace

// A folder listed as a folder and then swapped for a link before the walk opens it is refused.
TEST_F(FolderWalkTest, AFolderSwappedForALinkBeforeItIsOpenedIsNotEntered) {
    const QString root = makeFolder(u"root/sub"_s).section(u'/', 0, -2);
    makeFile(u"root/sub/inside"_s);
    makeFile(u"outside/secret"_s);
    WalkProgress progress;
    FolderWalk::Options options;
    options.progress = &progress;
    const QStringList visited = walk(root, options, [&](const auto& item) {
        if (qstrcmp(item.name, "sub") != 0)
            return;
        ASSERT_TRUE(QDir(root).rename(u"sub"_s, u"gone"_s));
        ASSERT_TRUE(QFile::link(u"../outside"_s, root + u"/sub"_s));
    });
    EXPECT_EQ(visited.filter(root + u"/sub/"_s), QStringList()); // neither outside nor inside
    EXPECT_EQ(m_errors, QStringList{root + u"/sub: Not a directory"_s});
    EXPECT_EQ(progress.items(), visited.size());
}

// As find -xdev: a mount point below the folder is an item, its contents are not walked.
TEST_F(FolderWalkTest, OneFileSystemStopsAtMountPoints) {
    struct stat dev = {}, pts = {};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/pts", &pts) != 0 || dev.st_dev == pts.st_dev)
        GTEST_SKIP() << "/dev/pts is no mount point here";
    FolderWalk::Options options;
    EXPECT_FALSE(walk(u"/dev"_s, options).filter(u"/dev/pts/"_s).isEmpty());
    options.oneFileSystem = true;
    const QStringList staying = walk(u"/dev"_s, options);
    EXPECT_TRUE(staying.contains(u"/dev/pts"_s));
    EXPECT_EQ(staying.filter(u"/dev/pts/"_s), QStringList());
}

TEST(WalkErrorsTest, KeepsTheFirstLinesAndCountsTheRest) {
    WalkErrors errors;
    EXPECT_EQ(errors.reportText(u"read"_s), QString());
    EXPECT_EQ(errors.add("/a", u"Permission denied"_s), u"/a: Permission denied"_s);
    errors.add("/a", "user.x", u"No data available"_s);
    for (int i = 0; i < WalkErrors::keptLines; ++i)
        errors.add(QByteArray("/f") + QByteArray::number(i), u"E"_s);
    EXPECT_EQ(errors.add("/last", u"E"_s), QString()); // past the bound: counted, not kept
    const qsizetype kept = WalkErrors::keptLines;
    EXPECT_EQ(std::tuple(errors.count(), errors.items(), errors.lines().size()),
              std::tuple(kept + 3, kept + 2, kept));
    const QString text = errors.reportText(u"read"_s);
    EXPECT_TRUE(text.startsWith(u"\n1002 items could not be read:\n/a: Permission denied\n/a: "
                                u"user.x: No data available\n/f0: E\n"_s));
    EXPECT_TRUE(text.endsWith(u"/f997: E\n… and 3 more errors\n"_s));
}
