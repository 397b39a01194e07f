#include "core/platform/DroppedPaths.h"

#include "core/model/ByteText.h"

#include <QMimeData>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// A file manager's URI list, byte for byte: a name that is not UTF-8 keeps its bytes; what is no
// local file (a web address, a file on another host) is no path.
TEST(DroppedPathsTest, TheLocalPathsOfAUriListKeepTheirBytes) {
    const struct {
        QByteArray list;
        QList<QByteArray> paths;
        bool other;
    } drops[] = {
        {"file:///tmp/bad%FFname\r\n# a comment\r\nfile:///tmp/caf%C3%A9\r\n",
         {"/tmp/bad\xffname", "/tmp/caf\xc3\xa9"},
         false},
        {"file://localhost/tmp/a%20b\r\n", {"/tmp/a b"}, false},
        {"https://example.org/x\r\nfile:///tmp/f\r\n", {"/tmp/f"}, true},
        {"file://elsewhere/etc/passwd\r\n", {}, true},
    };
    for (const auto& drop : drops) {
        QMimeData data;
        data.setData(u"text/uri-list"_s, drop.list);
        QList<QByteArray> paths;
        for (const QString& path : DroppedPaths::localPaths(&data))
            paths.append(ByteText::encode(path));
        EXPECT_EQ(paths, drop.paths) << drop.list.constData();
        EXPECT_EQ(DroppedPaths::hasOtherUrls(&data), drop.other) << drop.list.constData();
    }
    EXPECT_TRUE(DroppedPaths::localPaths(nullptr).isEmpty());
}
