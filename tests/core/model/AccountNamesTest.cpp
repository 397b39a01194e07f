#include "core/model/AccountNames.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// Names read back as their account; digits are numbers; and one instance stops asking after its
// bound, so that later accounts are shown by number.
TEST(AccountNamesTest, NamesReadBackAndLookupsAreBounded) {
    AccountNames accounts;
    EXPECT_EQ(accounts.userName(0), u"root"_s);
    EXPECT_EQ(accounts.groupName(0), u"root"_s);
    EXPECT_EQ(accounts.userId(u"root"_s), 0u);
    EXPECT_EQ(accounts.groupId(u"65534"_s), 65534u);
    EXPECT_EQ(accounts.userId(u"4294967295"_s), std::nullopt);
    EXPECT_EQ(accounts.userId(u"root\u0000x"_s), std::nullopt);
    EXPECT_EQ(accounts.userId(u"no-such-user-here"_s), std::nullopt);
    for (quint32 id = 4000000000u; id < 4000000000u + AccountNames::maxLookups; ++id)
        EXPECT_EQ(accounts.groupName(id), std::nullopt);
    EXPECT_EQ(accounts.userName(0), u"root"_s); // looked up before
    EXPECT_EQ(accounts.groupName(1), std::nullopt);
    EXPECT_EQ(AccountNames().groupName(1), u"daemon"_s);
}
