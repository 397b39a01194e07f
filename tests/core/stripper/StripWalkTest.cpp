#include "core/stripper/StripWalk.h"

#include "core/model/ByteText.h"
#include "core/model/DumpRestore.h"
#include "core/model/FolderXattrAccess.h"
#include "core/stripper/RestoreFile.h"
#include "support/FailureTexts.h"
#include "support/FolderEnteredProgress.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class StripWalkTest : public XattrFixture {
protected:
    // The walk's lines shown as they happen go to ERRORS; without it there must be none.
    static StripWalk::Result strip(const QString& folder, const QString& type,
                                   const FolderWalk::Options& options = {},
                                   QStringList* errors = nullptr, const QString& backup = {}) {
        QStringList seen;
        QStringList& lines = errors ? *errors : seen;
        const auto result = StripWalk::run(
            folder, type, options, [&lines](const QString& line) { lines.append(line); }, backup);
        EXPECT_TRUE(result) << lineOf(result).toStdString();
        EXPECT_TRUE(seen.isEmpty()) << seen.join(u'\n').toStdString();
        return result.value_or(StripWalk::Result{});
    }
};

// Only that name goes, on the items below the folder: not the folder's own, not another case, not
// what a link leads to. One that cannot be removed is reported and the walk goes on. The typed
// text is quoted as it is (no %1 expansion).
TEST_F(StripWalkTest, RemovesExactlyThatNameBelowTheFolder) {
    const QString root = makeFolder(u"100%1 sure"_s);
    EXPECT_EQ(StripWalk::report(strip(root, u"%1%2"_s)),
              u"Stripped 0 xattrs of type %1%2 from 0 files in  "_s + root + u"\n\n"_s);
    makeFolder(u"100%1 sure/sub/.hidden.app/Contents"_s);
    const QString inner = makeFile(u"100%1 sure/sub/.hidden.app/Contents/inner"_s);
    const QString file = makeFile(u"100%1 sure/file"_s);
    const QString stuck = makeFile(u"100%1 sure/stuck"_s);
    const QString outside = makeFile(u"outside"_s);
    for (const QString& path : {root, inner, stuck, outside})
        setRaw(path, "user.com.apple.quarantine", "0083;abc");
    setRaw(file, "user.com.apple.quarantine", "");
    setRaw(file, "user.com.apple.Quarantine", "other case");
    setRaw(file, "user.keep", "k");
    ASSERT_TRUE(QFile::link(outside, root + u"/link-out"_s));
    ASSERT_TRUE(QFile::link(file, root + u"/link-in"_s));
    // Not even root may change an immutable file's attributes. Where the file system has no such
    // flag, the failing item is left out and the rest still checked.
    if (QProcess::execute(u"chattr"_s, {u"+i"_s, stuck}) != 0)
        QFile::remove(stuck);
    QStringList errors;
    const StripWalk::Result result = strip(root, u"com.apple.quarantine"_s, {}, &errors);
    if (QFile::exists(stuck)) {
        QProcess::execute(u"chattr"_s, {u"-i"_s, stuck});
        EXPECT_EQ(errors,
                  QStringList{stuck + u": user.com.apple.quarantine: Operation not permitted"_s});
        EXPECT_TRUE(hasRaw(stuck, "user.com.apple.quarantine"));
    }
    EXPECT_EQ(result.removed, 2);
    // sub, .hidden.app, Contents, inner, file, stuck; no links
    EXPECT_EQ(result.itemsWalked, QFile::exists(stuck) ? 6 : 5);
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)),
              (Attributes{{"user.com.apple.Quarantine", "other case"}, {"user.keep", "k"}}));
    EXPECT_FALSE(hasRaw(inner, "user.com.apple.quarantine"));
    for (const QString& kept : {root, outside}) // outside: only reachable through a link
        EXPECT_TRUE(hasRaw(kept, "user.com.apple.quarantine")) << kept.toStdString();
    EXPECT_EQ(QSet<QString>(result.removals.cbegin(), result.removals.cend()),
              (QSet<QString>{file + u": 0  bytes."_s, inner + u": 8  bytes."_s}));
}

// Calls relative to the open folder: another process swaps tree/sub for a link to an outside
// folder once the walk is inside it, and an item lies deeper than a full path can reach. The walk
// goes on in the folder it opened and strips the deep item; the outside stays as it was. Run
// again with PALVORN_XATTR_PROC=1 (tests/CMakeLists.txt), so by either kind of call.
TEST_F(StripWalkTest, TheWalkStaysInTheFoldersItOpened) {
    SCOPED_TRACE(FolderXattrAccess::calls() == FolderXattrAccess::Calls::ProcCalls ? "/proc calls"
                                                                                   : "*at calls");
    const QString run = u"run"_s;
    const QString tree = makeFolder(run + u"/tree"_s);
    makeFolder(run + u"/tree/sub"_s);
    const QString victim = makeFolder(run + u"/victim"_s);
    for (int i = 0; i < 10; ++i) {
        setRaw(makeFile(run + u"/tree/sub/f%1"_s.arg(i)), "user.q", "in");
        setRaw(makeFile(run + u"/victim/f%1"_s.arg(i)), "user.q", "out");
    }
    const QByteArray level(200, 'd');
    int fd = ::open(QFile::encodeName(tree).constData(), O_RDONLY | O_DIRECTORY);
    for (int depth = 0; depth < 25; ++depth) { // 25 * 201 bytes: past 4,096
        ::mkdirat(fd, level.constData(), 0700);
        const int next = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    const int deep = ::openat(fd, "bottom", O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::fsetxattr(deep, "user.q", "deep", 4, 0), 0); // every step above worked
    FolderEnteredProgress progress([&](const QByteArray& path) {
        if (path != QFile::encodeName(tree + u"/sub"_s))
            return;
        ASSERT_TRUE(QDir(tree).rename(u"sub"_s, u"moved"_s));
        ASSERT_TRUE(QFile::link(u"../victim"_s, tree + u"/sub"_s));
    });
    FolderWalk::Options options;
    options.progress = &progress;
    const StripWalk::Result result = strip(tree, u"q"_s, options);
    EXPECT_TRUE(result.removals.contains(tree + (u"/"_s + QString::fromLatin1(level)).repeated(25) +
                                         u"/bottom: 4  bytes."_s));
    EXPECT_LT(::fgetxattr(deep, "user.q", nullptr, 0), 0);
    EXPECT_EQ(attributeListing(QFile::encodeName(victim)).count(" user.q=6f7574\n"), 10);
    EXPECT_EQ(attributeListing(QFile::encodeName(tree + u"/moved"_s)).count(" user.q="), 0);
    ::close(deep);
    ::close(fd);
}

TEST_F(StripWalkTest, AStoppedStripSaysSoAndLeavesTheRestInPlace) {
    const QString root = makeFolder(u"root"_s);
    for (int d = 0; d < 4; ++d) {
        makeFolder(u"root/d%1"_s.arg(d));
        for (int f = 0; f < 5; ++f)
            setRaw(makeFile(u"root/d%1/f%2"_s.arg(d).arg(f)), "user.q", "x");
    }
    std::atomic_bool stop = false;
    int entered = 0;
    // Stopped with the root and one folder done, the second folder begun.
    FolderEnteredProgress progress([&](const QByteArray&) { stop = ++entered >= 3; });
    FolderWalk::Options options;
    options.stop = &stop;
    options.threads = 1; // folders one after the other
    options.progress = &progress;
    const StripWalk::Result result = strip(root, u"q"_s, options);
    EXPECT_EQ(result.removed, 5);
    EXPECT_EQ(attributeListing(QFile::encodeName(root)).count(" user.q="), 15);
    EXPECT_TRUE(StripWalk::report(result).endsWith(
        u"\nStopped before the end of the walk: 5 xattrs stripped from the %1 files walked; the "
        "items it did not reach were left as they were.\n"_s.arg(result.itemsWalked)));
}

// Names are bytes: of two spellings of one text only the byte-identical one goes, and an
// equivalent one only where there is none; a name that is not UTF-8 is typed as ByteText (an
// argument), stripped by its bytes and shown with \xHH.
TEST_F(StripWalkTest, TheTypeMeansOneNamePerItemByItsBytes) {
    const QByteArray nfc = "user.caf\xc3\xa9", nfd = "user.cafe\xcc\x81";
    const QByteArray bad = "user.bad\xff", replaced = "user.bad\xef\xbf\xbd";
    const QString root = makeFolder(u"names"_s);
    const QString both = makeFile(u"names/both"_s), one = makeFile(u"names/one"_s);
    const QString bytes = makeFile(u"names/bytes"_s);
    for (const auto& [file, name] :
         {std::pair{both, nfc}, {both, nfd}, {one, nfd}, {bytes, bad}, {bytes, replaced}})
        setRaw(file, name, name);
    EXPECT_EQ(strip(root, QString::fromUtf8(nfc)).removed, 2);
    const StripWalk::Result result = strip(root, ByteText::decode(bad));
    EXPECT_TRUE(
        StripWalk::report(result).startsWith(u"Stripped 1 xattrs of type user.bad\\xff "_s));
    EXPECT_EQ(listRaw(QFile::encodeName(both)), QList<QByteArray>{nfd});
    EXPECT_EQ(listRaw(QFile::encodeName(one)), QList<QByteArray>());
    EXPECT_EQ(listRaw(QFile::encodeName(bytes)), QList<QByteArray>{replaced});
    EXPECT_EQ(WalkErrors().add("/f", bad, u"No data available"_s),
              u"/f: user.bad\\xff: No data available"_s);
}

namespace {

// The restore file, with the test's own doings between a part's values being written and their
// removal.
class InterferingJournal : public StripJournal {
public:
    InterferingJournal(RestoreFile& file, std::function<void()> afterAppend)
        : m_file(file), m_afterAppend(std::move(afterAppend)) {}

    Result<qint64> append(const QByteArray& blocks) override {
        Result<qint64> at = m_file.append(blocks);
        if (at)
            m_afterAppend();
        return at;
    }
    void takeOutLater(qint64 offset, qint64 length) override {
        m_file.takeOutLater(offset, length);
    }

private:
    RestoreFile& m_file;
    std::function<void()> m_afterAppend;
};

} // namespace

// Between the values being written to the restore file and their removal, one changes and one
// item goes away: each is one error line naming it, the rest is stripped, and the finished file
// holds exactly the values removed, so that restoring it writes back nothing the strip kept.
TEST_F(StripWalkTest, EveryValueRemovedIsInTheRestoreFileAndOnlyThose) {
    const QString folder = makeFolder(u"walk"_s);
    const QString same = makeFile(u"walk/same"_s);
    const QString changed = makeFile(u"walk/changed"_s);
    const QString gone = makeFile(u"walk/gone"_s);
    for (const QString& file : {same, changed, gone})
        setRaw(file, "user.t", "before");
    const QString backup = pathOf(u"backup.dump"_s);
    Result<std::unique_ptr<RestoreFile>> opened = RestoreFile::open(backup);
    ASSERT_TRUE(opened) << lineOf(opened).toStdString();
    const std::unique_ptr<RestoreFile> file = std::move(*opened);
    InterferingJournal journal(*file, [&] {
        setRaw(changed, "user.t", "after");
        QFile::remove(gone);
    });
    QStringList seen;
    const Result<StripWalk::Result> result = StripWalk::run(
        folder, u"t"_s, {}, [&seen](const QString& line) { seen.append(line); }, journal);
    ASSERT_TRUE(result) << lineOf(result).toStdString();
    const Result<> finished = file->finish();
    ASSERT_TRUE(finished) << lineOf(finished).toStdString();
    EXPECT_EQ(result->removals, QStringList{same + u": 6  bytes."_s});
    seen.sort();
    EXPECT_EQ(seen, (QStringList{changed + u": user.t: changed since the restore file was written; "
                                           u"kept"_s,
                                 gone + u": user.t: No such file or directory"_s}));
    EXPECT_EQ(contentOf(backup), "# file: " + QFile::encodeName(same) + "\nuser.t=0sYmVmb3Jl\n\n");
    QBuffer restore;
    restore.setData(contentOf(backup));
    restore.open(QIODevice::ReadOnly);
    EXPECT_EQ(DumpRestore::apply(restore, backup, [](const QString&) {}).applied, 1);
    EXPECT_EQ(getRaw(same, "user.t"), "before");
    EXPECT_EQ(getRaw(changed, "user.t"), "after");
}

// A folder given through a link: the restore file names the items by the folder's physical path,
// which restore, refusing links on the way, can reach; so the strip is undone whole.
TEST_F(StripWalkTest, AStripThroughALinkIsRestoredWhole) {
    makeFolder(u"real/tree"_s);
    QStringList files;
    for (const QString& name : {u"real/tree/a"_s, u"real/tree/sub/b"_s})
        setRaw(files.emplaceBack(makeFile(name)), "user.t", QFile::encodeName(name));
    ASSERT_TRUE(QFile::link(pathOf(u"real"_s), pathOf(u"via"_s)));
    const QString backup = pathOf(u"backup.dump"_s);
    FolderWalk::Options options;
    options.threads = 2;
    const StripWalk::Result result = strip(pathOf(u"via/tree"_s), u"t"_s, options, nullptr, backup);
    EXPECT_EQ(result.removed, 2);
    EXPECT_FALSE(contentOf(backup).contains("/via/"));
    QFile restore(backup);
    ASSERT_TRUE(restore.open(QIODevice::ReadOnly));
    QStringList lines;
    EXPECT_EQ(
        DumpRestore::apply(restore, backup, [&lines](const QString& line) { lines.append(line); })
            .applied,
        2)
        << lines.join(u'\n').toStdString();
    for (const QString& file : std::as_const(files))
        EXPECT_TRUE(QFile::encodeName(file).endsWith(getRaw(file, "user.t")));
}

// The restore file cannot take the second folder's values (past the file size limit): the strip
// stops there, says so, and the value it removed before is in the file.
TEST_F(StripWalkTest, ARestoreFileThatCannotBeWrittenStopsTheStripAndKeepsWhatWasRemoved) {
    const QString root = makeFolder(u"root"_s);
    const QStringList files = {makeFile(u"root/a/f"_s), makeFile(u"root/b/f"_s)};
    for (const QString& path : files)
        setRaw(path, "user.t", QByteArray(600, 'v'));
    const QString backup = pathOf(u"backup.dump"_s);
    EXPECT_TRUE(succeedsWithFileSizeLimit(1200, [&] {
        FolderWalk::Options options;
        options.threads = 1;
        const Result<StripWalk::Result> result = StripWalk::run(root, u"t"_s, options, {}, backup);
        return result && result->removed == 1 &&
               StripWalk::report(*result).endsWith(
                   u"\nThe restore file could not be written: "_s + backup +
                   u": File too large. The strip stopped there; every value it removed is in the "
                   u"restore file.\n\nRestore file (1 xattrs): "_s +
                   backup + u"\n"_s);
    }));
    const QString removed = hasRaw(files[0], "user.t") ? files[1] : files[0];
    const QString kept = removed == files[0] ? files[1] : files[0];
    EXPECT_FALSE(hasRaw(removed, "user.t"));
    EXPECT_EQ(getRaw(kept, "user.t"), QByteArray(600, 'v'));
    EXPECT_EQ(contentOf(backup), "# file: " + QFile::encodeName(removed) + "\nuser.t=0s" +
                                     QByteArray(600, 'v').toBase64() + "\n\n");
}

// Another process keeps rewriting user.a on random files (only where it still is) while a strip
// with a restore file runs. Restoring the file afterwards gives every file the last value written
// to it: none was removed unless the file held it, at one thread or many. (Only a write between
// the last check and the removal, two system calls apart, could be lost.)
TEST_F(StripWalkTest, AWriterRacingAStripWithARestoreFileLosesNoValue) {
    const QString root = makeFolder(u"race"_s);
    QStringList files;
    for (int d = 0; d < 10; ++d)
        for (int f = 0; f < 100; ++f)
            files.append(makeFile(u"race/d%1/f%2"_s.arg(d).arg(f)));
    QFile list(pathOf(u"files"_s));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QFile::encodeName(files.join(u'\n')));
    list.close();
    for (const int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        for (const QString& file : std::as_const(files))
            setRaw(file, "user.a", "initial");
        const QString stop = pathOf(u"stop%1"_s.arg(threads));
        QProcess writer;
        writer.start(u"python3"_s, {u"-c"_s, uR"(
import json, os, random, sys, time
paths = open(sys.argv[1], "rb").read().split(b"\n")
last, written, rng = {}, 0, random.Random(int(sys.argv[3]))
print("writing", flush=True)
while written % 32 or not os.path.exists(sys.argv[2]):
    path = paths[rng.randrange(len(paths))]
    value = b"written %d" % written
    written += 1
    try:
        os.setxattr(path, "user.a", value, os.XATTR_REPLACE)
        last[path.decode()] = value.decode()
    except OSError:
        pass
    time.sleep(0.001)
json.dump(last, sys.stdout)
)"_s,
                                    list.fileName(), stop, QString::number(threads)});
        while (!writer.canReadLine())
            ASSERT_TRUE(writer.waitForReadyRead(60000)) << writer.readAllStandardError().data();
        ASSERT_EQ(writer.readLine(), "writing\n");
        const QString backup = pathOf(u"backup%1.dump"_s.arg(threads));
        FolderWalk::Options options;
        options.threads = threads;
        QStringList seen;
        const Result<StripWalk::Result> result = StripWalk::run(
            root, u"a"_s, options, [&seen](const QString& line) { seen.append(line); }, backup);
        makeFile(u"stop%1"_s.arg(threads));
        ASSERT_TRUE(writer.waitForFinished(60000));
        ASSERT_TRUE(result) << lineOf(result).toStdString();
        EXPECT_FALSE(result->restoreFailure);
        EXPECT_EQ(seen.filter(u"; kept"_s).size(), seen.size()) << seen.join(u'\n').toStdString();
        const QJsonObject last = QJsonDocument::fromJson(writer.readAllStandardOutput()).object();
        QFile restore(backup);
        ASSERT_TRUE(restore.open(QIODevice::ReadOnly));
        EXPECT_EQ(DumpRestore::apply(restore, backup, [](const QString&) {}).failed, 0);
        QStringList lost;
        for (const QString& file : std::as_const(files))
            if (getRaw(file, "user.a") != last.value(file).toString(u"initial"_s).toUtf8())
                lost.append(file);
        EXPECT_EQ(lost, QStringList()) << last.size() << " files written";
    }
}
