#include "core/model/FolderText.h"

#include "support/FailureTexts.h"

#include <pwd.h>

#include <QDir>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(FolderTextTest, ATildeIsAHomeFolderOfAKnownUserAndNothingElseChanges) {
    const QString rootHome = QString::fromLocal8Bit(::getpwnam("root")->pw_dir);
    const std::pair<QString, QString> cases[] = {
        {u"~"_s, u"/home/zoe"_s},
        {u"~/"_s, u"/home/zoe/"_s},
        {u"~/Downloads"_s, u"/home/zoe/Downloads"_s},
        {u"~root"_s, rootHome},
        {u"~root/x/../y"_s, rootHome + u"/x/../y"_s},
        {u"/tmp/~"_s, u"/tmp/~"_s},
        {u""_s, u""_s},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(FolderText::expandedPath(text, u"/home/zoe/"_s), expanded) << text.toStdString();

    EXPECT_EQ(FolderText::folderPath(u"~/a/"_s, u"/home/zoe"_s), u"/home/zoe/a"_s);
    EXPECT_EQ(FolderText::folderPath(u"//"_s, u"/home/zoe"_s), u"/"_s);
    EXPECT_EQ(FolderText::folderPath(u"a/link/../"_s, u"/home/zoe"_s),
              QDir::currentPath() + u"/a/link/.."_s);
    EXPECT_EQ(FolderText::absolutePath(u"./x/../f"_s), QDir::currentPath() + u"/./x/../f"_s);
    EXPECT_EQ(FolderText::absolutePath(u"/a/../f"_s), u"/a/../f"_s);
    // An empty path is no item, never the current folder.
    EXPECT_EQ(FolderText::absolutePath(u""_s), u""_s);
    EXPECT_EQ(lineOf(FolderText::folderPath(u""_s, u"/home/zoe"_s)),
              u"An empty path names no folder."_s);

    // An unknown user is refused.
    for (const QString& text : {u"~palvorn-no-such-user"_s, u"~palvorn-no-such-user/x"_s}) {
        const Result<QString> result = FolderText::folderPath(text, u"/home/zoe"_s);
        EXPECT_FALSE(result);
        EXPECT_EQ(lineOf(result), u"There is no user \u201cpalvorn-no-such-user\u201d, so "
                                  "\u201c~palvorn-no-such-user\u201d names no folder."_s);
    }
}
