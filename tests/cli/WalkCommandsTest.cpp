#include "support/CliFixture.h"

#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>

using namespace Qt::Literals::StringLiterals;

using WalkCommandsTest = CliFixture;

namespace {

// A reproducible tree: nested folders, files, links (dangling, to an ancestor, out of the tree),
// attributes on about a third of the items (among them a name that is not UTF-8 and two spellings
// of one text), and for another user: folders it cannot open or cannot search, files whose values
// it cannot read and files it cannot change.
void makeTree(const QByteArray& root, int items) {
    std::mt19937 random(20261206);
    const auto pick = [&random](std::size_t below) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, below - 1)(random));
    };
    const QByteArray names[] = {"user.q",           "user.kind",         "user.bad\xff",
                                "user.caf\xc3\xa9", "user.cafe\xcc\x81", "user.big"};
    const char* targets[] = {"missing", "..", "/tmp"};
    std::vector<QByteArray> folders{root};
    std::vector<std::pair<QByteArray, mode_t>> modes; // set last, so that the tree could be made
    for (int made = 0; made < items; ++made) {
        const QByteArray path = folders[pick(folders.size())] + "/item" + QByteArray::number(made);
        const int kind = pick(100);
        if (kind < 15) {
            ASSERT_EQ(::mkdir(path.constData(), 0777), 0);
            folders.push_back(path);
            if (kind < 3)
                modes.push_back({path, kind < 2 ? 0 : 0444});
        } else if (kind < 19) {
            ASSERT_EQ(::symlink(targets[pick(3)], path.constData()), 0);
            continue;
        } else {
            std::ofstream(path.constData()) << std::string(pick(64), 'x');
            modes.push_back({path, kind < 22 ? 0222 : kind < 30 ? 0444 : 0666});
        }
        for (int i = 0, count = pick(3) == 0 ? 1 + pick(3) : 0; i < count; ++i) {
            const QByteArray& name = names[pick(std::size(names))];
            const QByteArray value = name == "user.big" ? QByteArray(1000 + pick(3000), 'b')
                                                        : QByteArray::number(pick(1000));
            ::setxattr(path.constData(), name.constData(), value.constData(), value.size(), 0);
        }
    }
    for (const auto& [path, mode] : modes)
        ::chmod(path.constData(), mode);
}

} // namespace

// The reports are the core's (CrawlerTest, StripWalkTest) and each mode's text is held byte for
// byte by HostileTextTest; here --totals wins over --type, and Ctrl-C stops a strip at its next
// item and the report says so. The signal is made pending before the program starts (blocked,
// raised, then exec), so it arrives as the walk begins.
TEST_F(WalkCommandsTest, TotalsWinOverATypeAndCtrlCStopsAStrip) {
    const QString root = makeFolder(u"crawl"_s);
    const QString file = makeFile(u"crawl/a"_s);
    setRaw(file, "user.t", "1234");
    EXPECT_EQ(runCli({u"crawl"_s, root, u"--totals"_s, u"--type"_s, u"t"_s}),
              success(u"Found 1 files with xattrs out of 1 scanned in "_s + root +
                      u"\nTotal size of xattrs 4 bytes.\nAverage size of xattrs 4 bytes per file "
                      u"with xattrs, 4 bytes per file over all files.\n"_s));

    const CliResult interrupted =
        runProcess({u"python3"_s, u"-c"_s, uR"(
import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT})
os.kill(os.getpid(), signal.SIGINT)
os.execv(sys.argv[1], sys.argv[1:])
)"_s,
                    QStringLiteral(PALVORN_CLI_PATH), u"strip"_s, root, u"t"_s});
    EXPECT_EQ(interrupted,
              failure({}, u"Stripped 0 xattrs of type t from 0 files in  "_s + root +
                              u"\n\n\nStopped before the end of the walk: 0 xattrs stripped from "
                              u"the 0 files walked; the items it did not reach were left as they "
                              u"were.\n"_s));
    EXPECT_EQ(getRaw(file, "user.t"), "1234");
}

// A folder that another user cannot open is one error line, PATH: REASON, on standard error as it
// happens (and for crawl at the end of its report); the rest is walked and the command fails.
// Standard error is no terminal here, so it carries no progress line. dump prints what it could
// read in its own format.
TEST_F(WalkCommandsTest, AFolderThatCannotBeOpenedIsReportedAndTheRestWalked) {
    const QString tree = sharedPath({});
    const QString closed = sharedPath(u"closed"_s);
    ASSERT_TRUE(QDir().mkdir(closed));
    setRaw(makeSharedFile(u"closed/hidden"_s), "user.h", "1");
    setRaw(makeSharedFile(u"a"_s), "user.t", "1234");
    QFile::setPermissions(closed, {});
    const CliResult crawl = runCliUnprivileged({u"crawl"_s, tree, u"--totals"_s});
    const CliResult dump =
        runCliUnprivileged({u"dump"_s, u"-R"_s, u"--encoding"_s, u"text"_s, tree});
    QFile::setPermissions(closed, openToOthers);
    const QString line = closed + u": Permission denied\n"_s;
    const QString said = u"palvorn-cli: "_s + line; // on standard error
    EXPECT_EQ(crawl,
              failure(said, u"Found 1 files with xattrs out of 2 scanned in "_s + tree +
                                u"\nTotal size of xattrs 4 bytes.\nAverage size of xattrs 4 bytes "
                                u"per file with xattrs, 2 bytes per file over all files.\n\n1 "
                                u"items could not be read:\n"_s +
                                line));
    EXPECT_EQ(dump, failure(said, u"# file: "_s + tree + u"/a\nuser.t=\"1234\"\n\n"_s));
}

// For 1, 2 and 4 threads, as another user (so that permission errors happen even in a root CI):
// the crawl's three reports, the strip's report, its restore file and the attributes it leaves
// are the same, byte for byte, in three copies of one generated tree. The strip on 4 threads may
// open only 64 files.
TEST_F(WalkCommandsTest, EveryThreadCountGivesTheOneThreadWalksReportsAndOutcome) {
    ::chmod(QFile::encodeName(sharedPath({})).constData(), 0777); // for the restore files
    QList<QStringList> runs; // the crawls, the strip, its restore file, the attributes left
    for (const int threads : {1, 2, 4}) {
        const QString root = sharedPath(u"tree%1"_s.arg(threads));
        const QString backup = sharedPath(u"backup%1"_s.arg(threads));
        ASSERT_TRUE(QDir().mkdir(root));
        ::chmod(QFile::encodeName(root).constData(), 0777);
        makeTree(QFile::encodeName(root), 1500);
        const QStringList walk{u"--threads"_s, QString::number(threads)};
        QStringList run{QString()};
        for (const QStringList& mode :
             {QStringList{}, QStringList{u"--type"_s, u"q"_s},
              QStringList{u"--type"_s, u"big"_s, u"--show-size"_s}, QStringList{u"--totals"_s}}) {
            const CliResult crawl = runCliUnprivileged(QStringList{u"crawl"_s, root} + mode + walk);
            EXPECT_EQ(crawl.exitCode, 1); // the tree has errors
            run[0] += crawl.out + crawl.err;
        }
        const QStringList stripCommand =
            asAnotherUser(QStringList{QStringLiteral(PALVORN_CLI_PATH), u"strip"_s, root, u"q"_s,
                                      u"--backup"_s, backup} +
                          walk);
        const CliResult strip =
            runProcess(threads == 4 ? QStringList{u"sh"_s, u"-c"_s,
                                                  u"ulimit -n 64 && exec \"$@\""_s, u"sh"_s} +
                                          stripCommand
                                    : stripCommand);
        EXPECT_EQ(strip.exitCode, 1);
        run << strip.out + strip.err << QString::fromUtf8(runTool(u"cat"_s, {backup}))
            << QString::fromUtf8(attributeListing(QFile::encodeName(root)));
        runs.append(run.replaceInStrings(root, u"ROOT"_s).replaceInStrings(backup, u"BACKUP"_s));
    }
    // The tree has what the walks must get right: errors, removals and attributes left.
    EXPECT_TRUE(runs[0][0].contains(u"Permission denied"_s));
    EXPECT_TRUE(runs[0][1].contains(u"  bytes.\n"_s));
    EXPECT_TRUE(runs[0][2].startsWith(u"# file: ROOT/"_s));
    EXPECT_TRUE(runs[0][3].contains(u"user.q="_s));
    for (qsizetype i = 1; i < runs.size(); ++i)
        for (qsizetype part = 0; part < 4; ++part)
            EXPECT_EQ(runs[i][part], runs[0][part]) << "run " << i << ", part " << part;
}

// The restore file is a file of its own: not standard output ("-", which carries the report), nor
// what /dev/stdout leads to, whose earlier content stays.
TEST_F(WalkCommandsTest, TheRestoreFileIsNeitherStandardOutputNorWhatALinkLeadsTo) {
    const QString root = makeFolder(u"tree"_s);
    const QString file = makeFile(u"tree/a"_s);
    setRaw(file, "user.t", "1");
    const CliResult dash = runCli({u"strip"_s, u"--backup"_s, u"-"_s, root, u"t"_s});
    EXPECT_EQ(dash.exitCode, 2);
    EXPECT_TRUE(dash.err.startsWith(u"palvorn-cli strip: --backup takes a file: standard output "
                                    u"carries the report\n"_s))
        << dash.err.toStdString();
    const QString out = makeFile(u"out.txt"_s, "earlier content\n");
    EXPECT_EQ(runProcess({u"sh"_s, u"-c"_s, u"exec \"$@\" >> \"$0\""_s, out,
                          QStringLiteral(PALVORN_CLI_PATH), u"strip"_s, u"--backup"_s,
                          u"/dev/stdout"_s, root, u"t"_s}),
              failure(errorLine(u"/dev/stdout"_s,
                                u"is a symbolic link, not a regular file; nothing was removed"_s)));
    EXPECT_EQ(contentOf(out), "earlier content\n");
    EXPECT_EQ(getRaw(file, "user.t"), "1");
}
