#include "model/NameMatcher.h"

#include <gtest/gtest.h>

using namespace palvorn;

TEST(NameMatcherTest, SameBytesWinThenOneCanonicallyEquivalentSpelling) {
    const QByteArray nfc = "user.caf\xc3\xa9";
    const QByteArray nfd = "user.cafe\xcc\x81";
    const struct {
        const char* label;
        QList<QByteArray> listed;
        QByteArray wanted;
        std::optional<qsizetype> index;
    } cases[] = {
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
    for (const auto& c : cases) {
        EXPECT_EQ(matchListedName(c.listed, c.wanted), c.index) << c.label;
        QList<QByteArrayView> views(c.listed.cbegin(), c.listed.cend());
        EXPECT_EQ(NameMatcher(c.wanted).indexIn(views), c.index) << c.label;
    }
}
