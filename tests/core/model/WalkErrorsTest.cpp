#include "core/model/WalkErrors.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(WalkErrorsTest, KeepsTheFirstLinesAndCountsTheRest) {
    WalkErrors errors;
    EXPECT_EQ(errors.reportText(u"read"_s), QString());
    EXPECT_EQ(errors.add("/a", u"Permission denied"_s), u"/a: Permission denied"_s);
    errors.add("/a", "user.x", u"No data available"_s);
    for (int i = 0; i < WalkErrors::keptLines; ++i)
        errors.add(QByteArray("/f") + QByteArray::number(i), u"E"_s);
    EXPECT_EQ(errors.add("/last", u"E"_s), QString()); // past the bound: counted, not kept
    const qsizetype kept = WalkErrors::keptLines;
    EXPECT_EQ(std::tuple(errors.count(), errors.items(), errors.lines().size()),
              std::tuple(kept + 3, kept + 2, kept));
    const QString text = errors.reportText(u"read"_s);
    EXPECT_TRUE(text.startsWith(u"\n1002 items could not be read:\n/a: Permission denied\n/a: "
                                u"user.x: No data available\n/f0: E\n"_s));
    EXPECT_TRUE(text.endsWith(u"/f997: E\n… and 3 more errors\n"_s));
}
