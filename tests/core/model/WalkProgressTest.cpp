#include "core/model/WalkProgress.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The progress line is one line whatever the folder is called: its path is shown as names are.
TEST(WalkProgressTest, ShowsTheFolderAsNamesAreShown) {
    WalkProgress progress;
    progress.countItem();
    progress.enterFolder("/tmp/new\nline\x1b[2J\xff");
    EXPECT_EQ(progress.text(), u"1 items, in /tmp/new\\x0aline\\x1b[2J\\xff"_s);
}
