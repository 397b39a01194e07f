#include "stripper/BackedUpStrip.h"

#include "support/XattrFixture.h"

#include <QDir>
#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class BackedUpStripTest : public XattrFixture {
protected:
    const QDateTime now{QDate(2026, 3, 4), QTime(5, 6, 7)};
};

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

} // namespace

TEST_F(BackedUpStripTest, ANameThatIsTakenIsNeverWrittenOver) {
    const QString folder = pathOf(u"restore/files"_s);
    QString error;
    const QString first = BackedUpStrip::reserveFile(folder, now, &error);
    EXPECT_EQ(first, folder + u"/strip-20260304-050607.dump"_s);
    QFile taken(folder + u"/strip-20260304-050607-2.dump"_s);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("someone else's");
    taken.close();
    EXPECT_EQ(BackedUpStrip::reserveFile(folder, now, &error),
              folder + u"/strip-20260304-050607-3.dump"_s);
    EXPECT_EQ(contentsOf(taken.fileName()), "someone else's");
    EXPECT_TRUE(error.isEmpty());
}

// A restore file that cannot be made, or a backup walk that is stopped: nothing is removed, and a
// partial restore file is not left behind.
TEST_F(BackedUpStripTest, NoCompleteRestoreFileMeansNothingRemoved) {
    const QString folder = makeFolder(u"walk"_s);
    const QString file = makeFile(u"walk/f"_s);
    setRaw(file, "user.t", "1");
    const QString blocked = makeFile(u"not a folder"_s);
    EXPECT_EQ(BackedUpStrip::run(folder, u"t"_s, {}, {}, blocked + u"/restore"_s, now),
              blocked + u"/restore: the folder for restore files cannot be made; nothing was "
                        u"removed\n"_s);
    EXPECT_TRUE(hasRaw(file, "user.t"));

    std::atomic_bool stop = true;
    FolderWalk::Options options;
    options.stop = &stop;
    const QString restore = pathOf(u"restore"_s);
    const QString backup = restore + u"/strip-20260304-050607.dump"_s;
    EXPECT_EQ(BackedUpStrip::run(folder, u"t"_s, options, {}, restore, now),
              backup + u": stopped before the restore file was complete; nothing was removed\n"_s);
    EXPECT_TRUE(hasRaw(file, "user.t"));
    EXPECT_FALSE(QFile::exists(backup));
}
