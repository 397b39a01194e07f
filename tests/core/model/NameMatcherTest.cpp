#include "core/model/NameMatcher.h"

#include <gtest/gtest.h>

using namespace palvorn;

TEST(NameMatcherTest, SameBytesWinThenOneCanonicallyEquivalentSpelling) {
    const QByteArray nfc = "user.caf\xc3\xa9";
    const QByteArray nfd = "user.cafe\xcc\x81";
    using Case = std::tuple<const char*, QList<QByteArray>, QByteArray, std::optional<qsizetype>>;
    const Case cases[] = {
        {"same bytes", {"user.a", nfc}, nfc, 1},
        {"NFD listed, NFC wanted", {"user.a", nfd}, nfc, 1},
        {"both listed: the byte-identical one", {nfd, nfc}, nfc, 1},
        {"both listed, NFD wanted", {nfd, nfc}, nfd, 0},
        {"no equivalent", {"user.a", "user.cafe"}, nfc, std::nullopt},
        {"not UTF-8 matches its bytes", {"user.x\xfe", "user.x\xff"}, "user.x\xff", 1},
        {"not UTF-8 matches nothing else", {"user.x\xef\xbf\xbd"}, "user.x\xff", std::nullopt},
        {"ASCII against ASCII", {"user.A"}, "user.a", std::nullopt},
        {"KELVIN SIGN is K", {"user.K"}, "user.\xe2\x84\xaa", 0},
        {"empty list", {}, nfc, std::nullopt},
    };
    for (const auto& [label, listed, wanted, index] : cases) {
        EXPECT_EQ(matchListedName(listed, wanted), index) << label;
        const QList<QByteArrayView> views(listed.cbegin(), listed.cend());
        EXPECT_EQ(NameMatcher(wanted).indexIn(views), index) << label;
    }
}
