#include "model/ResourceItem.h"

#include "model/plist/BinaryPlistWriter.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(ResourceItemTest, DetectsTypeAndSizeFromTheValue) {
    const std::tuple<const char*, QByteArray, qint64, const char*> cases[] = {
        {"empty", {}, ResourceItem::BinaryType, "0 bytes"},
        {"eight-byte magic alone", "bplist00", ResourceItem::BinaryType, "8 bytes"},
        {"nine bytes after magic", "bplist00x", ResourceItem::PropertyListType, "9 bytes"},
        {"magic before invalid UTF-8", QByteArray("bplist00\xff\xfe\x00", 11),
         ResourceItem::PropertyListType, "11 bytes"},
        {"nine bytes of text", "some text", ResourceItem::TextType, "9 bytes"},
        {"multi-byte text", "gr\xc3\xbc\xc3\x9f dich, \xe2\x82\xac", ResourceItem::TextType,
         "16 bytes"},
        // é occupies bytes 8 and 9: the first eight bytes alone are not valid UTF-8.
        {"accented letter across byte eight", "abcdefg\xc3\xa9hijklmnopqr",
         ResourceItem::BinaryType, "20 bytes"},
        {"valid head, invalid tail", "abcdefgh\xff", ResourceItem::BinaryType, "9 bytes"},
        {"NUL is valid UTF-8", QByteArray("abcdefgh\0i", 10), ResourceItem::TextType, "10 bytes"},
    };
    for (const auto& [label, value, type, size] : cases) {
        const ResourceItem item(u"user.t"_s, value);
        EXPECT_EQ(std::tuple(item.type(), item.detectType(), item.size(), item.data()),
                  std::tuple(type, type, QString::fromLatin1(size), value))
            << label;
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
    const PlistValue name = PlistValue::string(u"user.a"_s);
    const PlistValue data = PlistValue::data("v");
    const std::pair<const char*, QByteArray> cases[] = {
        {"not a property list", {}},
        {"missing name", archiveOf({{u"data"_s, data}})},
        {"missing data", archiveOf({{u"name"_s, name}})},
        {"name of the wrong kind",
         archiveOf({{u"name"_s, PlistValue::integer(1)}, {u"data"_s, data}})},
        {"data of the wrong kind", archiveOf({{u"name"_s, name}, {u"data"_s, name}})},
        {"an extra entry",
         archiveOf({{u"name"_s, name}, {u"data"_s, data}, {u"type"_s, PlistValue::integer(1)}})},
        {"root not a dictionary",
         BinaryPlistWriter::write(PlistValue::array({name, data})).value()},
    };
    for (const auto& [label, archive] : cases)
        EXPECT_EQ(ResourceItem::fromArchive(archive), nullptr) << label;
}
