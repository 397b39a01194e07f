#include "core/plist/PlistValue.h"

#include <limits>
#include <ranges>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using V = PlistValue;

TEST(PlistValue, DictionaryKeepsAKeysFirstPositionAndLastValueAndSortsByCodeUnits) {
    const auto keysOf = [](const V::Dictionary& entries) {
        const auto keys = std::views::keys(entries);
        return QStringList(keys.begin(), keys.end());
    };
    V::Dictionary entries{{u"b"_s, V::integer(1)}, {u"a"_s, V::integer(2)}};
    for (const QString& key : {u"é"_s, u"apple"_s, u"Zed"_s, u"😀"_s, u"\uffff"_s})
        entries.append({key, V::boolean(true)});
    const V dict =
        V::dictionary(entries + V::Dictionary{{u"b"_s, V::integer(3)}, {u"a"_s, V::integer(4)}});
    EXPECT_EQ(keysOf(dict.toDictionary()),
              (QStringList{u"b"_s, u"a"_s, u"é"_s, u"apple"_s, u"Zed"_s, u"😀"_s, u"\uffff"_s}));
    EXPECT_TRUE(dict.find(u"b"_s) && *dict.find(u"b"_s) == V::integer(3));
    EXPECT_EQ(dict.find(u"c"_s), nullptr);
    // The surrogate pair of U+1F600 starts with 0xD83D and so sorts below U+FFFF.
    EXPECT_EQ(keysOf(dict.sortedDictionary()),
              (QStringList{u"Zed"_s, u"a"_s, u"apple"_s, u"b"_s, u"é"_s, u"😀"_s, u"\uffff"_s}));
}

TEST(PlistValue, EqualityIsDeepAndKindSensitive) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const quint64 uint64Max = std::numeric_limits<quint64>::max();
    const V ab = V::dictionary({{u"a"_s, V::integer(1)}, {u"b"_s, V::integer(2)}});
    const std::tuple<V, V, bool> cases[] = {
        {V::integer(1), V::uid(1), false},
        {V::real(1.5), V::singleReal(1.5f), false},
        {V::string({}), V::data({}), false},
        {V::data("a"), V::data("b"), false},
        {V::string(u"a"_s), V::string(u"b"_s), false},
        {V::unsignedInteger(7), V::integer(7), true},
        {V::unsignedInteger(uint64Max), V::integer(-1), false},
        {V::date(nan), V::date(nan), true},
        {V::real(0.0), V::real(-0.0), true},
        {V::array({V::array({V::integer(1)})}), V::array({V::array({V::integer(1)})}), true},
        {V::array({V::array({V::integer(1)})}), V::array({V::array({V::integer(2)})}), false},
        {ab, V::dictionary({{u"b"_s, V::integer(2)}, {u"a"_s, V::integer(1)}}), true},
        {ab, V::dictionary({{u"a"_s, V::integer(1)}, {u"c"_s, V::integer(2)}}), false},
    };
    for (const auto& [lhs, rhs, equal] : cases) {
        EXPECT_EQ(lhs == rhs, equal);
        EXPECT_EQ(rhs == lhs, equal);
    }
}
