#include "cli/CliRunner.h"

#include <array>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A reproducible tree: nested folders, files, links (dangling, to an ancestor, out of the tree),
// attributes on about a third of the items (among them a name that is not UTF-8 and two spellings
// of one text), and for another user: folders it cannot open or cannot search, files whose values
// it cannot read and files it cannot change.
class TreeMaker {
public:
    explicit TreeMaker(unsigned seed) : m_random(seed) {}

    void make(const QByteArray& root, int items) {
        std::vector<QByteArray> folders{root};
        std::vector<std::pair<QByteArray, mode_t>> modes;
        for (int made = 0; made < items; ++made) {
            const QByteArray parent = folders[pick(folders.size())];
            const QByteArray path = parent + "/item" + QByteArray::number(made);
            const int kind = pick(100);
            if (kind < 15) {
                ASSERT_EQ(::mkdir(path.constData(), 0777), 0);
                folders.push_back(path);
                if (kind < 2)
                    modes.push_back({path, 0});
                else if (kind < 3)
                    modes.push_back({path, 0555 & ~0111});
            } else if (kind < 19) {
                const char* targets[] = {"missing", "..", "/tmp"};
                ASSERT_EQ(::symlink(targets[pick(3)], path.constData()), 0);
                continue;
            } else {
                QFile file(QString::fromUtf8(path));
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(pick(64), 'x'));
                file.close();
                if (kind < 22)
                    modes.push_back({path, 0222});
                else if (kind < 30)
                    modes.push_back({path, 0444});
                else
                    ::chmod(path.constData(), 0666);
            }
            if (pick(3) == 0)
                addAttributes(path);
        }
        // Last, so that the tree could be made.
        for (const auto& [path, mode] : modes)
            ::chmod(path.constData(), mode);
    }

private:
    int pick(std::size_t below) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, below - 1)(m_random));
    }

    void addAttributes(const QByteArray& path) {
        const QByteArray names[] = {"user.q",           "user.kind",         "user.bad\xff",
                                    "user.caf\xc3\xa9", "user.cafe\xcc\x81", "user.big"};
        for (int i = 0, count = 1 + pick(3); i < count; ++i) {
            const QByteArray& name = names[pick(std::size(names))];
            const QByteArray value = name == "user.big" ? QByteArray(1000 + pick(3000), 'b')
                                                        : QByteArray::number(pick(1000));
            ::setxattr(path.constData(), name.constData(), value.constData(), value.size(), 0);
        }
    }

    std::mt19937 m_random;
};

// Every attribute of the tree, as getfattr dumps them (as root: everything).
QString attributesOf(const QString& root) {
    QProcess getfattr;
    getfattr.start(u"getfattr"_s, {u"-R"_s, u"-P"_s, u"-h"_s, u"-d"_s, u"-m"_s, u"-"_s, u"-e"_s,
                                   u"hex"_s, u"--absolute-names"_s, root});
    EXPECT_TRUE(getfattr.waitForFinished(60000));
    return QString::fromUtf8(getfattr.readAllStandardOutput());
}

} // namespace

// For 1, 2 and 4 threads, as another user (so that permission errors happen even in a root CI):
// the crawl's three reports, the strip's report, its restore file and the attributes it leaves
// are the same, byte for byte, in three copies of one generated tree.
TEST(WalkThreadsTest, EveryThreadCountGivesTheOneThreadWalksReportsAndOutcome) {
    QTemporaryDir shared(u"/tmp/palvorn-test-XXXXXX"_s);
    ASSERT_TRUE(shared.isValid());
    ::chmod(QFile::encodeName(shared.path()).constData(), 0777);
    // Per thread count: the crawls, the strip, its restore file and the attributes left.
    std::vector<std::array<QString, 4>> runs;
    for (const int threads : {1, 2, 4}) {
        const QString root = shared.filePath(u"tree%1"_s.arg(threads));
        const QString backup = shared.filePath(u"backup%1"_s.arg(threads));
        ASSERT_TRUE(QDir().mkdir(root));
        ::chmod(QFile::encodeName(root).constData(), 0777);
        TreeMaker(20261206).make(QFile::encodeName(root), 1500);
        const QStringList walk{u"--threads"_s, QString::number(threads)};
        std::array<QString, 4> run;
        for (const QStringList& mode :
             {QStringList{}, QStringList{u"--type"_s, u"q"_s},
              QStringList{u"--type"_s, u"big"_s, u"--show-size"_s}, QStringList{u"--totals"_s}}) {
            const CliResult crawl = runCliUnprivileged(QStringList{u"crawl"_s, root} + mode + walk);
            EXPECT_EQ(crawl.exitCode, 1); // the tree has errors
            run[0] += crawl.out + crawl.err;
        }
        const CliResult strip =
            runCliUnprivileged(QStringList{u"strip"_s, root, u"q"_s, u"--backup"_s, backup} + walk);
        EXPECT_EQ(strip.exitCode, 1);
        run[1] = strip.out + strip.err;
        QFile restore(backup);
        EXPECT_TRUE(restore.open(QIODevice::ReadOnly));
        run[2] = QString::fromUtf8(restore.readAll());
        run[3] = attributesOf(root);
        for (QString& text : run)
            text.replace(root, u"ROOT"_s).replace(backup, u"BACKUP"_s);
        runs.push_back(run);
    }
    // The tree has what the walks must get right: errors, removals and attributes left.
    EXPECT_TRUE(runs[0][0].contains(u"Permission denied"_s));
    EXPECT_TRUE(runs[0][1].contains(u"  bytes.\n"_s));
    EXPECT_TRUE(runs[0][3].contains(u"user.q="_s));
    for (std::size_t i = 1; i < runs.size(); ++i)
        for (std::size_t part = 0; part < 4; ++part)
            EXPECT_EQ(runs[i][part], runs[0][part]) << "run " << i << ", part " << part;
    // QTemporaryDir removes as root: every mode allows it.
}
