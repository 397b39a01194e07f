#include "model/ParallelFolderWalk.h"

#include "stripper/StripWalk.h"
#include "support/XattrFixture.h"

#include <QDir>
#include <QSet>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using ParallelFolderWalkTest = XattrFixture;

// Stopped from one of four threads while they are spread over the tree: when the strip returns,
// no thread of it runs on, and its report is whole: it lists every attribute that is gone, and
// only those, and says that it was stopped.
TEST_F(ParallelFolderWalkTest, AStopOnSeveralThreadsEndsThemAllAndReportsEveryRemoval) {
    const QString root = pathOf(u"root"_s);
    QStringList files;
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 20; ++f)
            for (const QString& item : {u"root/d%1/f%2"_s, u"root/d%1/inner/g%2"_s})
                setRaw(files.emplaceBack(makeFile(item.arg(d).arg(f))), "user.q", "x");
    std::atomic_bool stop = false;
    std::atomic_int entered = 0;
    FolderWalk::Options options;
    options.stop = &stop;
    options.threads = 4;
    options.folderEntered = [&](const QByteArray&) {
        if (++entered == 30)
            stop = true;
    };
    const auto threadsOfThisProcess = [] {
        return QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    };
    const qsizetype threadsBefore = threadsOfThisProcess();
    QString error;
    const std::optional<StripWalk::Result> result =
        StripWalk::run(root, u"q"_s, options, {}, &error);
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_TRUE(result->stopped);

    QSet<QString> gone;
    for (const QString& path : files)
        if (!hasRaw(path, "user.q"))
            gone.insert(path + u": 1  bytes."_s);
    EXPECT_GT(gone.size(), 0);
    EXPECT_LT(gone.size(), 1600);
    EXPECT_EQ(QSet<QString>(result->removals.cbegin(), result->removals.cend()), gone);
    EXPECT_EQ(result->removed, gone.size());
}
