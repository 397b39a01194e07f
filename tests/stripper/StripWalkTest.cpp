#include "stripper/StripWalk.h"

#include "model/FolderText.h"
#include "support/XattrFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class StripWalkTest : public XattrFixture {
protected:
    StripWalk::Result strip(const QString& folder, const QString& type,
                            QStringList* errors = nullptr) {
        QStringList seen;
        QString error;
        const std::optional<StripWalk::Result> result = StripWalk::run(
            folder, type, {}, [&seen](const QString& line) { seen.append(line); }, &error);
        EXPECT_TRUE(result) << error.toStdString();
        if (errors)
            *errors = seen;
        else
            EXPECT_TRUE(seen.isEmpty());
        return result.value_or(StripWalk::Result{});
    }
};

} // namespace

TEST_F(StripWalkTest, AnEmptyFolderGivesTheEmptyReport) {
    const QString folder = makeFolder(u"empty"_s);
    setRaw(folder, "user.q", "the folder's own");
    EXPECT_EQ(StripWalk::report(strip(folder, u"q"_s)),
              u"Stripped 0 xattrs of type q from 0 files in  "_s + folder + u"\n\n"_s);
    EXPECT_TRUE(hasRaw(folder, "user.q"));
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
    const StripWalk::Result result = strip(root, u"t"_s, &errors);
    QProcess::execute(u"chattr"_s, {u"-i"_s, stuck});
    EXPECT_EQ(errors, QStringList{stuck + u": user.t: Operation not permitted"_s});
    EXPECT_EQ(result.removed, 1);
    EXPECT_EQ(result.itemsWalked, 2);
    EXPECT_EQ(result.removals, QStringList{free + u": 1  bytes."_s});
    EXPECT_TRUE(hasRaw(stuck, "user.t"));
}

TEST_F(StripWalkTest, AFolderThatCannotBeWalkedSaysWhy) {
    QString error;
    EXPECT_FALSE(StripWalk::run(pathOf(u"missing"_s), u"t"_s, {}, {}, &error));
    EXPECT_EQ(error, pathOf(u"missing"_s) + u": No such file or directory"_s);
    EXPECT_FALSE(StripWalk::run(makeFile(u"plain"_s), u"t"_s, {}, {}, &error));
    EXPECT_EQ(error, pathOf(u"plain"_s) + u": Not a directory"_s);
}

TEST(FolderTextTest, HomeExpansion) {
    const struct {
        const char16_t* text;
        const char16_t* expanded;
    } cases[] = {
        {u"~", u"/home/zoe"},
        {u"~/Downloads", u"/home/zoe/Downloads"},
        {u"~x", u"/home/zoex"},
        {u"/tmp/~", u"/tmp/~"},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderText::expandedPath(QString::fromUtf16(c.text), u"/home/zoe/"_s),
                  QString::fromUtf16(c.expanded));
    EXPECT_EQ(FolderText::folderPath(u"~/a/"_s, u"/home/zoe"_s), u"/home/zoe/a"_s);
}

TEST_F(StripWalkTest, TypedTextIsQuotedAsItIs) {
    const QString folder = makeFolder(u"100%1 sure"_s);
    EXPECT_EQ(StripWalk::report(strip(folder, u"%1%2"_s)),
              u"Stripped 0 xattrs of type %1%2 from 0 files in  "_s + folder + u"\n\n"_s);
}
