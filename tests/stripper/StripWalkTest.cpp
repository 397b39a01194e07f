#include "stripper/StripWalk.h"

#include "model/ByteText.h"
#include "model/FolderXattrAccess.h"
#include "stripper/StripBackup.h"
#include "support/XattrFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class StripWalkTest : public XattrFixture {
protected:
    // The walk's lines shown as they happen go to ERRORS; without it there must be none.
    static StripWalk::Result strip(const QString& folder, const QString& type,
                                   const FolderWalk::Options& options = {},
                                   QStringList* errors = nullptr, const QString& backup = {}) {
        QStringList seen;
        QString error;
        const std::optional<StripWalk::Result> result = StripWalk::run(
            folder, type, options, [&seen](const QString& line) { seen.append(line); }, &error,
            backup);
        EXPECT_TRUE(result) << error.toStdString();
        if (errors)
            *errors = seen;
        else
            EXPECT_TRUE(seen.isEmpty()) << seen.join(u'\n').toStdString();
        return result.value_or(StripWalk::Result{});
    }
};

} // namespace

// The typed text is quoted as it is (no %1 expansion); the folder's own attributes are not walked.
TEST_F(StripWalkTest, AnEmptyFolderGivesTheEmptyReportAndAMissingOneSaysWhy) {
    const QString folder = makeFolder(u"100%1 sure"_s);
    setRaw(folder, "user.q", "the folder's own");
    EXPECT_EQ(StripWalk::report(strip(folder, u"q"_s)),
              u"Stripped 0 xattrs of type q from 0 files in  "_s + folder + u"\n\n"_s);
    EXPECT_TRUE(StripWalk::report(strip(folder, u"%1%2"_s))
                    .startsWith(u"Stripped 0 xattrs of type %1%2 "_s));
    EXPECT_TRUE(hasRaw(folder, "user.q"));

    QString error;
    EXPECT_FALSE(StripWalk::run(pathOf(u"missing"_s), u"t"_s, {}, {}, &error));
    EXPECT_EQ(error, pathOf(u"missing"_s) + u": No such file or directory"_s);
    EXPECT_FALSE(StripWalk::run(makeFile(u"plain"_s), u"t"_s, {}, {}, &error));
    EXPECT_EQ(error, pathOf(u"plain"_s) + u": Not a directory"_s);
}

TEST_F(StripWalkTest, RemovesExactlyThatNameBelowTheFolder) {
    const QString root = makeFolder(u"root"_s);
    makeFolder(u"root/sub/.hidden.app/Contents"_s);
    const QString inner = makeFile(u"root/sub/.hidden.app/Contents/inner"_s);
    const QString file = makeFile(u"root/file"_s);
    const QString outside = makeFile(u"outside"_s);
    setRaw(root, "user.com.apple.quarantine", "root keeps it");
    setRaw(inner, "user.com.apple.quarantine", "0083;abc");
    setRaw(file, "user.com.apple.quarantine", "");
    setRaw(file, "user.com.apple.Quarantine", "other case");
    setRaw(file, "user.keep", "k");
    setRaw(outside, "user.com.apple.quarantine", "outside");
    ASSERT_TRUE(QFile::link(outside, root + u"/link-out"_s));
    ASSERT_TRUE(QFile::link(file, root + u"/link-in"_s));

    const StripWalk::Result result = strip(root, u"com.apple.quarantine"_s);
    EXPECT_EQ(result.removed, 2);
    EXPECT_EQ(result.itemsWalked, 5); // sub, .hidden.app, Contents, inner, file; links not counted
    EXPECT_FALSE(hasRaw(inner, "user.com.apple.quarantine"));
    EXPECT_FALSE(hasRaw(file, "user.com.apple.quarantine"));
    EXPECT_EQ(getRaw(file, "user.com.apple.Quarantine"), "other case");
    EXPECT_EQ(getRaw(file, "user.keep"), "k");
    EXPECT_TRUE(hasRaw(root, "user.com.apple.quarantine"));
    EXPECT_TRUE(hasRaw(outside, "user.com.apple.quarantine")); // only reachable through a link

    QStringList removals = result.removals;
    removals.sort();
    EXPECT_EQ(removals, (QStringList{file + u": 0  bytes."_s, inner + u": 8  bytes."_s}));
    const QString report = StripWalk::report(result);
    EXPECT_TRUE(report.startsWith(
        u"Stripped 2 xattrs of type com.apple.quarantine from 5 files in  "_s + root + u"\n\n"_s));
    EXPECT_TRUE(report.endsWith(u"  bytes.\n"_s));
}

TEST_F(StripWalkTest, AnAttributeThatCannotBeRemovedIsReportedAndTheWalkGoesOn) {
    const QString root = makeFolder(u"root"_s);
    const QString stuck = makeFile(u"root/stuck"_s);
    const QString free = makeFile(u"root/free"_s);
    setRaw(stuck, "user.t", "1");
    setRaw(free, "user.t", "2");
    // Not even root may change an immutable file's attributes.
    if (QProcess::execute(u"chattr"_s, {u"+i"_s, stuck}) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
    QStringList errors;
    const StripWalk::Result result = strip(root, u"t"_s, {}, &errors);
    QProcess::execute(u"chattr"_s, {u"-i"_s, stuck});
    EXPECT_EQ(errors, QStringList{stuck + u": user.t: Operation not permitted"_s});
    EXPECT_EQ(result.removed, 1);
    EXPECT_EQ(result.itemsWalked, 2);
    EXPECT_EQ(result.removals, QStringList{free + u": 1  bytes."_s});
    EXPECT_TRUE(hasRaw(stuck, "user.t"));
}

namespace {

// Both ways of calling the system relative to a folder, where the kernel has both.
QList<FolderXattrAccess::Calls> callModes() {
    QList<FolderXattrAccess::Calls> modes{FolderXattrAccess::Calls::ProcCalls};
    if (FolderXattrAccess::availableCalls() == FolderXattrAccess::Calls::AtCalls)
        modes.prepend(FolderXattrAccess::Calls::AtCalls);
    return modes;
}

struct ProcCallsFor {
    explicit ProcCallsFor(FolderXattrAccess::Calls mode) {
        FolderXattrAccess::forceProcCalls(mode == FolderXattrAccess::Calls::ProcCalls);
    }
    ~ProcCallsFor() { FolderXattrAccess::forceProcCalls(false); }
};

} // namespace

// Another process renames tree/sub away and puts a link to an outside folder in its place once
// the walk is inside it: the walk goes on in the folder it opened, and the outside stays as it was.
TEST_F(StripWalkTest, AFolderSwappedForALinkDuringTheWalkLeadsNowhereOutside) {
    for (const FolderXattrAccess::Calls mode : callModes()) {
        const ProcCallsFor calls(mode);
        const QString base = makeFolder(u"run%1"_s.arg(int(mode)));
        const QString tree =
            makeFolder(base.section(u'/', -1) + u"/tree/sub"_s).section(u'/', 0, -2);
        const QString victim = makeFolder(base.section(u'/', -1) + u"/victim"_s);
        for (int i = 0; i < 10; ++i) {
            setRaw(makeFile(base.section(u'/', -1) + u"/tree/sub/f%1"_s.arg(i)), "user.q", "in");
            setRaw(makeFile(base.section(u'/', -1) + u"/victim/v%1"_s.arg(i)), "user.q", "out");
        }
        FolderWalk::Options options;
        options.folderEntered = [&](const QByteArray& path) {
            if (path != QFile::encodeName(tree + u"/sub"_s))
                return;
            ASSERT_TRUE(QDir(tree).rename(u"sub"_s, u"moved"_s));
            ASSERT_TRUE(QFile::link(u"../victim"_s, tree + u"/sub"_s));
        };
        const StripWalk::Result result = strip(tree, u"q"_s, options);
        EXPECT_EQ(result.removed, 10);
        EXPECT_TRUE(result.errors.isEmpty());
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(getRaw(victim + u"/v%1"_s.arg(i), "user.q"), "out");
            EXPECT_FALSE(hasRaw(tree + u"/moved/f%1"_s.arg(i), "user.q"));
        }
    }
}

// Items whose full path is longer than the system takes in one call are walked and stripped.
TEST_F(StripWalkTest, ItemsDeeperThanAPathCanReachAreStripped) {
    for (const FolderXattrAccess::Calls mode : callModes()) {
        const ProcCallsFor calls(mode);
        const QString root = makeFolder(u"deep%1"_s.arg(int(mode)));
        const QByteArray level(200, 'd');
        int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        for (int depth = 0; depth < 25; ++depth) { // 25 * 201 bytes: past 4,096
            ASSERT_EQ(::mkdirat(fd, level.constData(), 0700), 0);
            const int next = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
            ASSERT_GE(fd, 0);
        }
        const int file = ::openat(fd, "bottom", O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(file, 0);
        ASSERT_EQ(::fsetxattr(file, "user.q", "deep", 4, 0), 0);

        const StripWalk::Result result = strip(root, u"q"_s);
        EXPECT_EQ(result.itemsWalked, 26);
        EXPECT_EQ(result.removed, 1);
        EXPECT_TRUE(result.errors.isEmpty()) << result.errors.lines().join(u'\n').toStdString();
        EXPECT_LT(::fgetxattr(file, "user.q", nullptr, 0), 0);
        ASSERT_EQ(result.removals.size(), 1);
        EXPECT_GT(result.removals.first().size(), 5000);
        ::close(file);
        ::close(fd);
    }
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
    FolderWalk::Options options;
    options.stop = &stop;
    options.threads = 1; // folders one after the other
    options.folderEntered = [&](const QByteArray&) {
        if (++entered == 3) // the root and one folder done, the second folder begun
            stop = true;
    };
    const StripWalk::Result result = strip(root, u"q"_s, options);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.removed, 5);
    int left = 0;
    for (int d = 0; d < 4; ++d)
        for (int f = 0; f < 5; ++f)
            left += hasRaw(pathOf(u"root/d%1/f%2"_s.arg(d).arg(f)), "user.q");
    EXPECT_EQ(left, 15);
    EXPECT_TRUE(StripWalk::report(result).endsWith(
        u"\nStopped before the end of the walk: 5 xattrs stripped from %1 files up to then; the "
        "items after them were left as they were.\n"_s.arg(result.itemsWalked)));
}

// Names are bytes: a name that is not UTF-8 is stripped and reported; of two spellings of one
// text only the byte-identical one goes, and an equivalent one only where there is none.
TEST_F(StripWalkTest, TheTypeMeansOneNamePerItemByItsBytes) {
    const QByteArray nfc = "user.caf\xc3\xa9";
    const QByteArray nfd = "user.cafe\xcc\x81";
    const struct {
        QList<QByteArray> names;
        QString typed;
        QByteArray removed; // empty: none
    } cases[] = {
        {{nfc, nfd}, QString::fromUtf8(nfc), nfc},
        {{nfc, nfd}, QString::fromUtf8(nfd), nfd},
        {{nfd}, QString::fromUtf8(nfc), nfd},
        {{"user.bad\xff", "user.bad"}, u"user.bad"_s, "user.bad"},
        {{"user.Q"}, u"q"_s, {}},
    };
    int run = 0;
    for (const auto& c : cases) {
        const QString root = makeFolder(u"case%1"_s.arg(run++));
        const QString file = makeFile(root.section(u'/', -1) + u"/f"_s);
        for (const QByteArray& name : c.names)
            setRaw(file, name, name);
        EXPECT_EQ(strip(root, c.typed).removed, c.removed.isEmpty() ? 0 : 1)
            << c.typed.toStdString();
        for (const QByteArray& name : c.names)
            EXPECT_EQ(hasRaw(file, name), name != c.removed) << name.toStdString();
    }
    // A name that is not UTF-8 arrives as ByteText (an argument) and is stripped by its bytes;
    // the report and the errors show it with \xHH.
    const QString root = makeFolder(u"bytes"_s);
    const QString file = makeFile(u"bytes/f"_s);
    setRaw(file, "user.bad\xff", "v");
    setRaw(file, "user.bad\xef\xbf\xbd", "replacement character");
    const StripWalk::Result bytes = strip(root, ByteText::decode("user.bad\xff"));
    EXPECT_EQ(bytes.removed, 1);
    EXPECT_FALSE(hasRaw(file, "user.bad\xff"));
    EXPECT_TRUE(hasRaw(file, "user.bad\xef\xbf\xbd"));
    EXPECT_TRUE(StripWalk::report(bytes).startsWith(u"Stripped 1 xattrs of type user.bad\\xff "_s));
    WalkErrors errors;
    EXPECT_EQ(errors.add(QFile::encodeName(file), "user.bad\xff", u"No data available"_s),
              file + u": user.bad\\xff: No data available"_s);
}

// The two walks of a strip with a restore file, with changes made between them: only what the
// file holds is removed.
TEST_F(StripWalkTest, WithARestoreFileOnlyTheValuesItHoldsAreRemoved) {
    const QString folder = makeFolder(u"walk"_s);
    const QString kept = makeFile(u"walk/kept"_s);
    const QString changed = makeFile(u"walk/changed"_s);
    setRaw(kept, "user.t", "same");
    setRaw(changed, "user.t", "before");
    const QString backup = pathOf(u"backup.dump"_s);
    ASSERT_EQ(StripBackup::write(folder, u"t"_s, {}, backup).error, QString());

    setRaw(changed, "user.t", "after");
    const QString added = makeFile(u"walk/added"_s);
    setRaw(added, "user.t", "new");
    QStringList seen;
    EXPECT_EQ(strip(folder, u"t"_s, {}, &seen, backup).removed, 1);
    EXPECT_FALSE(hasRaw(kept, "user.t"));
    EXPECT_EQ(getRaw(changed, "user.t"), "after");
    EXPECT_EQ(getRaw(added, "user.t"), "new");
    seen.sort();
    EXPECT_EQ(seen,
              (QStringList{added + u": user.t: not removed: the restore file does not hold it"_s,
                           changed + u": user.t: not removed: its value changed after the "
                                     u"restore file was written"_s}));
}
