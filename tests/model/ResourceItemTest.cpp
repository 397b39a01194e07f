#include "model/ResourceItem.h"

#include "model/plist/BinaryPlistReader.h"
#include "model/plist/BinaryPlistWriter.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

TEST(ResourceItemTest, DetectsTypeAndSizeFromTheValue) {
    const struct {
        const char* label;
        QByteArray value;
        qint64 type;
        const char* size;
    } cases[] = {
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
    for (const auto& c : cases) {
        const ResourceItem item(u"user.t"_s, c.value);
        EXPECT_EQ(item.type(), c.type) << c.label;
        EXPECT_EQ(item.detectType(), c.type) << c.label;
        EXPECT_EQ(item.size(), QString::fromLatin1(c.size)) << c.label;
        EXPECT_EQ(item.data(), c.value) << c.label;
    }
}

// A UTF-8 name travels as a string, as before; any other name as data, which a reader that knows
// only the string form refuses rather than misreads. Size and type are recomputed from the value.
TEST(ResourceItemTest, ArchivesComeBackByteForByte) {
    const auto nameEntry = [](const QByteArray& archive) {
        const std::optional<PlistValue> root = BinaryPlistReader::read(archive);
        return root ? *root->find(u"name"_s) : PlistValue();
    };
    const struct {
        QByteArray raw;
        PlistValue::Kind kind;
        QString shown;
        QByteArray value;
    } cases[] = {
        {"user.caf\xc3\xa9", PlistValue::Kind::String, u"user.caf\u00e9"_s, "bplist00garbage"},
        {"user.bad\xff", PlistValue::Kind::Data, u"user.bad\\xff"_s, QByteArray(70000, 'z')},
    };
    for (const auto& c : cases) {
        ResourceItem item(c.raw, c.value);
        item.setType(3); // as the editor may leave it
        EXPECT_EQ(item.name(), c.shown);
        EXPECT_EQ(nameEntry(item.archive()).kind(), c.kind) << c.shown.toStdString();
        const std::shared_ptr<ResourceItem> back = ResourceItem::fromArchive(item.archive());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->rawName(), c.raw);
        EXPECT_EQ(back->data(), c.value);
        EXPECT_EQ(back->size(), ResourceItem(c.raw, c.value).size());
        EXPECT_EQ(back->type(), ResourceItem(c.raw, c.value).detectType());
    }
    EXPECT_EQ(ResourceItem(u"user.caf\u00e9"_s, "v").archive(),
              BinaryPlistWriter::write(PlistValue::dictionary({
                                           {u"name"_s, PlistValue::string(u"user.caf\u00e9"_s)},
                                           {u"data"_s, PlistValue::data("v")},
                                       }))
                  .value());
}

TEST(ResourceItemTest, ArchiveReaderRefusesAnythingElse) {
    const auto archiveOf = [](PlistValue::Dictionary entries) {
        return BinaryPlistWriter::write(PlistValue::dictionary(std::move(entries))).value();
    };
    const PlistValue name = PlistValue::string(u"user.a"_s);
    const PlistValue data = PlistValue::data("v");
    const QByteArray valid = archiveOf({{u"name"_s, name}, {u"data"_s, data}});
    ASSERT_TRUE(ResourceItem::fromArchive(valid));

    const struct {
        const char* label;
        QByteArray archive;
    } cases[] = {
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
    for (const auto& c : cases)
        EXPECT_EQ(ResourceItem::fromArchive(c.archive), nullptr) << c.label;
}
