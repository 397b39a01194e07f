#include "core/stripper/StripJob.h"

#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using StripJobTest = XattrFixture;

// A restore file that cannot be made, or written before the first removal (past the file size
// limit: the system's reason is named), removes nothing, and a strip that removed nothing leaves
// no restore file behind. A name that is taken is never written over.
TEST_F(StripJobTest, NoRestoreFileMeansNothingRemovedAndNoFileIsWrittenOver) {
    const QDateTime now{QDate(2026, 3, 4), QTime(5, 6, 7)};
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "1");
    const QString blocked = makeFile(u"not a folder"_s);
    EXPECT_EQ(StripJob::run({folder, u"t"_s, {}, blocked + u"/restore"_s, now}, {}, {}).text(),
              blocked + u"/restore: the folder for restore files cannot be made; nothing was "
                        u"removed\n"_s);

    std::atomic_bool stop = true;
    FolderWalk::Options options;
    options.stop = &stop;
    const QString restore = pathOf(u"restore/files"_s);
    const QString backup = restore + u"/strip-20260304-050607.dump"_s;
    EXPECT_EQ(StripJob::run({folder, u"t"_s, {}, restore, now}, options, {}).text(),
              u"Stripped 0 xattrs of type t from 0 files in  "_s + folder +
                  u"\n\n\nStopped before the end of the walk: 0 xattrs stripped from the 0 files "
                  u"walked; the items it did not reach were left as they were.\n"_s);
    EXPECT_TRUE(hasRaw(file, "user.t"));
    EXPECT_FALSE(QFile::exists(backup));

    setRaw(file, "user.t", QByteArray(3000, 'v'));
    options.stop = nullptr;
    options.threads = 1; // no threads in the forked child
    EXPECT_TRUE(succeedsWithFileSizeLimit(1024, [&] {
        return StripJob::run({folder, u"t"_s, {}, restore, now.addSecs(1)}, options, {})
            .text()
            .endsWith(u"\nThe restore file could not be written: "_s + restore +
                      u"/strip-20260304-050608.dump: File too large; nothing was removed.\n"_s);
    }));
    EXPECT_EQ(getRaw(file, "user.t"), QByteArray(3000, 'v'));
    EXPECT_FALSE(QFile::exists(restore + u"/strip-20260304-050608.dump"_s));

    EXPECT_EQ(StripJob::reserveFile(restore, now).value_or(QString()), backup);
    const QString taken =
        makeFile(u"restore/files/strip-20260304-050607-2.dump"_s, "someone else's");
    EXPECT_EQ(StripJob::reserveFile(restore, now).value_or(QString()),
              restore + u"/strip-20260304-050607-3.dump"_s);
    EXPECT_EQ(contentOf(taken), "someone else's");
}
