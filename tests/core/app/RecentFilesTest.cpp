#include "core/app/RecentFiles.h"

#include "core/model/ByteText.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// A hand-edited list is cleaned and bounded too.
TEST(RecentFilesTest, NewestFirstOnceEachAtMostTenAndCleared) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(u"palvorn.conf"_s);
    QSettings settings(fileName, QSettings::IniFormat);
    // A real settings file, read afresh as the next start of the application would.
    const auto pathsAfterRestart = [&] {
        settings.sync();
        return RecentFiles::paths(QSettings(fileName, QSettings::IniFormat));
    };
    RecentFiles::add(settings, u"/a"_s);
    EXPECT_EQ(pathsAfterRestart(), QStringList{u"/a"_s}); // one entry survives as a list
    RecentFiles::add(settings, u"/b, with a comma"_s);
    RecentFiles::add(settings, u"/a"_s);
    RecentFiles::add(settings, QString());
    EXPECT_EQ(pathsAfterRestart(), (QStringList{u"/a"_s, u"/b, with a comma"_s}));
    for (int i = 0; i < 12; ++i)
        RecentFiles::add(settings, u"/f%1"_s.arg(i));
    const QStringList ten = pathsAfterRestart();
    EXPECT_EQ(ten.size(), RecentFiles::maxCount);
    EXPECT_EQ(ten.front(), u"/f11"_s);
    EXPECT_EQ(ten.back(), u"/f2"_s);
    // A path that is not UTF-8 comes back byte for byte, and is there.
    const QByteArray bytes = QFile::encodeName(dir.filePath(u"bad"_s)) + "\xff";
    ASSERT_EQ(::close(::open(bytes.constData(), O_CREAT | O_WRONLY, 0644)), 0);
    RecentFiles::add(settings, ByteText::decode(bytes));
    EXPECT_EQ(ByteText::encode(pathsAfterRestart().constFirst()), bytes);
    EXPECT_TRUE(RecentFiles::exists(pathsAfterRestart().constFirst()));
    EXPECT_FALSE(RecentFiles::exists(ByteText::decode(bytes + "gone")));
    ::unlink(bytes.constData()); // the temporary folder cannot remove a name that is not UTF-8
    RecentFiles::clear(settings);
    EXPECT_TRUE(pathsAfterRestart().isEmpty());

    QStringList edited = {u"/x"_s, QString(), u"/x"_s, u"/y"_s};
    for (int i = 0; i < 100; ++i)
        edited.append(u"/many%1"_s.arg(i));
    settings.setValue(u"recentFiles"_s, edited);
    const QStringList cleaned = pathsAfterRestart();
    EXPECT_EQ(cleaned.size(), RecentFiles::maxCount);
    EXPECT_EQ(cleaned.mid(0, 3), (QStringList{u"/x"_s, u"/y"_s, u"/many0"_s}));
}
