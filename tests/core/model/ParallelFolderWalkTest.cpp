#include "core/model/ParallelFolderWalk.h"

#include "core/crawler/CrawlReport.h"
#include "core/crawler/Crawler.h"
#include "core/model/OpenFolders.h"
#include "core/model/WalkProgress.h"
#include "core/stripper/StripWalk.h"
#include "support/FailureTexts.h"
#include "support/FolderEnteredProgress.h"
#include "support/XattrFixture.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSet>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// Every item in walk order; onProbe sees each item on the thread that reads it.
struct RecordingWalk {
    struct Outcome {
        qsizetype bytes() const { return 0; }
    };
    struct Scratch {};

    void probe(const FolderWalk::Item& item, Scratch&, Outcome&) const {
        if (onProbe)
            onProbe(item);
    }
    void merge(const FolderWalk::Item& item, Outcome&) {
        visited.append(QFile::decodeName(item.path()));
    }

    std::function<void(const FolderWalk::Item&)> onProbe;
    QStringList visited;
};

class ParallelFolderWalkTest : public XattrFixture {
protected:
    QStringList walk(RecordingWalk& walk, const QString& folder,
                     const FolderWalk::Options& options) {
        const auto failed = [this](const QByteArray& path, const QString& reason) {
            m_errors.append(QFile::decodeName(path) + u": "_s + reason);
        };
        const Result<> walked = ParallelFolderWalk::walk(walk, folder, failed, options);
        EXPECT_TRUE(walked) << (walked ? std::string() : walked.error().text().toStdString());
        return walk.visited;
    }

    QStringList m_errors;
};

} // namespace

// A folder listed as a folder and then swapped for a link before the walk opens it is refused, at
// one thread and at several.
TEST_F(ParallelFolderWalkTest, AFolderSwappedForALinkBeforeItIsOpenedIsNotEntered) {
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        const QString run = u"run%1"_s.arg(threads);
        const QString root = makeFolder(run + u"/root/sub"_s).section(u'/', 0, -2);
        makeFile(run + u"/root/sub/inside"_s);
        makeFile(run + u"/outside/secret"_s);
        WalkProgress progress;
        FolderWalk::Options options;
        options.progress = &progress;
        options.threads = threads;
        RecordingWalk recording;
        recording.onProbe = [&](const FolderWalk::Item& item) {
            if (qstrcmp(item.name, "sub") != 0)
                return;
            ASSERT_TRUE(QDir(root).rename(u"sub"_s, u"gone"_s));
            ASSERT_TRUE(QFile::link(u"../outside"_s, root + u"/sub"_s));
        };
        m_errors.clear();
        const QStringList visited = walk(recording, root, options);
        EXPECT_EQ(visited.filter(root + u"/sub/"_s), QStringList()); // neither outside nor inside
        EXPECT_EQ(m_errors, QStringList{root + u"/sub: Not a directory"_s});
        EXPECT_EQ(progress.items(), visited.size());
    }
}

// As find -xdev: a mount point below the folder is an item, its contents are not walked.
TEST_F(ParallelFolderWalkTest, OneFileSystemStopsAtMountPoints) {
    struct stat dev = {}, pts = {};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/pts", &pts) != 0 || dev.st_dev == pts.st_dev)
        GTEST_SKIP() << "/dev/pts is no mount point here";
    FolderWalk::Options options;
    RecordingWalk all;
    EXPECT_FALSE(walk(all, u"/dev"_s, options).filter(u"/dev/pts/"_s).isEmpty());
    options.oneFileSystem = true;
    RecordingWalk staying;
    const QStringList stayed = walk(staying, u"/dev"_s, options);
    EXPECT_TRUE(stayed.contains(u"/dev/pts"_s));
    EXPECT_EQ(stayed.filter(u"/dev/pts/"_s), QStringList());
}

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
    FolderEnteredProgress progress([&](const QByteArray&) {
        if (++entered == 30)
            stop = true;
    });
    FolderWalk::Options options;
    options.stop = &stop;
    options.threads = 4;
    options.progress = &progress;
    const auto threadsOfThisProcess = [] {
        return QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    };
    const qsizetype threadsBefore = threadsOfThisProcess();
    const Result<StripWalk::Result> result = StripWalk::run(root, u"q"_s, options, {});
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
    ASSERT_TRUE(result) << lineOf(result).toStdString();
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

// Stop is pressed as the walk enters a folder of 300 items, more than one part of it: none of
// them is read, so none is stripped, however many threads walk.
TEST_F(ParallelFolderWalkTest, AStopAsAFolderIsEnteredLeavesAllOfItsItems) {
    const QString root = makeFolder(u"root/big"_s).chopped(4);
    QStringList files;
    for (int f = 0; f < 300; ++f)
        files.append(makeFile(u"root/big/f%1"_s.arg(f)));
    for (const int threads : {1, 2, 4}) {
        SCOPED_TRACE(threads);
        for (const QString& file : std::as_const(files))
            setRaw(file, "user.q", "x");
        std::atomic_bool stop = false;
        FolderEnteredProgress progress([&stop](const QByteArray& path) {
            if (path.endsWith("/big"))
                stop = true;
        });
        FolderWalk::Options options;
        options.stop = &stop;
        options.threads = threads;
        options.progress = &progress;
        const Result<StripWalk::Result> result = StripWalk::run(root, u"q"_s, options, {});
        ASSERT_TRUE(result) << lineOf(result).toStdString();
        EXPECT_TRUE(result->stopped);
        EXPECT_EQ(result->removed, 0);
        EXPECT_EQ(std::count_if(files.cbegin(), files.cend(),
                                [](const QString& file) { return !hasRaw(file, "user.q"); }),
                  0);
    }
}

// A chain of folders deeper than the process may open files, every other one of the upper ones
// with more items than one part holds: folders are closed between their parts and opened again
// from the start down (through folders that were closed too), the walk holds no more descriptors
// than its bound, and every item is counted once, the same at one thread and at four.
TEST_F(ParallelFolderWalkTest, DeeperThanTheDescriptorLimitGivesOneReportAtEveryThreadCount) {
    constexpr int depth = 30, wide = 12, limit = 20;
    const int wideFiles = int(ParallelFolderWalk::chunkItems) + 1;
    QString level = makeFolder(u"root"_s);
    const QString root = level;
    qsizetype items = 0;
    for (int d = 0; d < depth; ++d) {
        level = level + u"/l%1"_s.arg(d);
        ASSERT_TRUE(QDir().mkdir(level));
        const QByteArray folder = QFile::encodeName(level);
        const int files = d % 2 == 0 && d < 2 * wide ? wideFiles : 1;
        for (int f = 0; f < files; ++f)
            ::close(::open((folder + "/f" + QByteArray::number(f)).constData(), O_CREAT | O_WRONLY,
                           0600));
        setRaw(level + u"/f0"_s, "user.level", QByteArray::number(d));
        items += files + 1;
    }
    setRaw(level + u"/f0"_s, "user.deepest", "here");
    const auto openDescriptors = [] {
        return QDir(u"/proc/self/fd"_s).entryList(QDir::NoDotAndDotDot | QDir::System).size();
    };
    ASSERT_TRUE(succeedsInChild([&] {
        const struct rlimit descriptors = {limit, limit};
        if (::setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
            return false;
        const qsizetype before = openDescriptors();
        for (const int threads : {1, 4}) {
            std::atomic<qsizetype> most = 0;
            FolderEnteredProgress progress([&](const QByteArray&) {
                const qsizetype now = openDescriptors() - before;
                for (qsizetype seen = most; now > seen && !most.compare_exchange_weak(seen, now);)
                    ;
            });
            FolderWalk::Options options;
            options.threads = threads;
            options.progress = &progress;
            const Result<TypeTally> tally = Crawler::crawlAllTypes(root, options, {});
            QFile out(pathOf(u"report%1"_s.arg(threads)));
            if (!out.open(QIODevice::WriteOnly))
                return false;
            out.write((tally ? CrawlReport::reportTypeTally(*tally) : lineOf(tally)).toUtf8() +
                      "\ndescriptors within the bound: " +
                      (most <= OpenFolders::capacityFor(threads) ? "yes" : "no"));
        }
        return true;
    }));
    const auto report = [this](int threads) {
        QFile file(pathOf(u"report%1"_s.arg(threads)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    };
    const QString one = report(1);
    EXPECT_EQ(report(4), one);
    EXPECT_TRUE(
        one.startsWith(u"Found %1 files with xattrs out of %2 scanned in "_s.arg(depth).arg(items)))
        << one.left(200).toStdString();
    EXPECT_TRUE(one.contains(u"user.deepest in "_s + level + u"/f0 count 1:\n"_s));
    EXPECT_TRUE(one.endsWith(u"\ndescriptors within the bound: yes"_s));
}
