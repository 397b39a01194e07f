#include "core/model/ResourceItem.h"

#include "core/plist/BinaryPlistWriter.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(ResourceItemTest, DetectsTypeAndSizeFromTheValue) {
    constexpr qint64 binary = ResourceItem::BinaryType, text = ResourceItem::TextType;
    const std::pair<QByteArray, qint64> cases[] = {
        {{}, binary},
        {"bplist00", binary}, // the magic alone
        {"bplist00x", ResourceItem::PropertyListType},
        {QByteArray("bplist00\xff\xfe\x00", 11), ResourceItem::PropertyListType},
        {"some text", text},
        {"gr\xc3\xbc\xc3\x9f dich, \xe2\x82\xac", text},
        // é occupies bytes 8 and 9: the first eight bytes alone are not valid UTF-8.
        {"abcdefg\xc3\xa9hijklmnopqr", binary},
        {"abcdefgh\xff", binary},
        {QByteArray("abcdefgh\0i", 10), text}, // NUL is valid UTF-8
    };
    for (const auto& [value, type] : cases) {
        const ResourceItem item(u"user.t"_s, value);
        EXPECT_EQ(std::tuple(item.type(), item.detectType(), item.size(), item.data()),
                  std::tuple(type, type, u"%1 bytes"_s.arg(value.size()), value));
    }
}

namespace {

QByteArray archiveOf(PlistValue::Dictionary entries) {
    return BinaryPlistWriter::write(PlistValue::dictionary(std::move(entries))).value();
}

} // namespace

// A UTF-8 name travels as a string, as before; any other name as data, which a reader that knows
// only the string form refuses rather than misreads. Size and type are recomputed from the value.
TEST(ResourceItemTest, ArchivesComeBackByteForByte) {
    const std::tuple<QByteArray, QString, PlistValue, QByteArray> cases[] = {
        {"user.caf\xc3\xa9", u"user.caf\u00e9"_s, PlistValue::string(u"user.caf\u00e9"_s),
         "bplist00garbage"},
        {"user.bad\xff", u"user.bad\\xff"_s, PlistValue::data("user.bad\xff"),
         QByteArray(70000, 'z')},
    };
    for (const auto& [raw, shown, nameEntry, value] : cases) {
        ResourceItem item(raw, value);
        item.setType(3); // as the editor may leave it
        EXPECT_EQ(item.name(), shown);
        EXPECT_EQ(item.archive(),
                  archiveOf({{u"name"_s, nameEntry}, {u"data"_s, PlistValue::data(value)}}));
        const std::shared_ptr<ResourceItem> back = ResourceItem::fromArchive(item.archive());
        ASSERT_TRUE(back);
        const ResourceItem fresh(raw, value);
        EXPECT_EQ(std::tuple(back->rawName(), back->data(), back->size(), back->type()),
                  std::tuple(raw, value, fresh.size(), fresh.detectType()));
    }
}

TEST(ResourceItemTest, ArchiveReaderRefusesAnythingElse) {
    const QString n = u"name"_s, d = u"data"_s;
    const PlistValue name = PlistValue::string(u"user.a"_s), data = PlistValue::data("v");
    const std::pair<const char*, QByteArray> cases[] = {
        {"not a property list", {}},
        {"missing name", archiveOf({{d, data}})},
        {"missing data", archiveOf({{n, name}})},
        {"name of the wrong kind", archiveOf({{n, PlistValue::integer(1)}, {d, data}})},
        {"data of the wrong kind", archiveOf({{n, name}, {d, name}})},
        {"an extra entry", archiveOf({{n, name}, {d, data}, {u"type"_s, data}})},
        {"root not a dictionary",
         BinaryPlistWriter::write(PlistValue::array({name, data})).value()},
    };
    for (const auto& [label, archive] : cases)
        EXPECT_EQ(ResourceItem::fromArchive(archive), nullptr) << label;
}
