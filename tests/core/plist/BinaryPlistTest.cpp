#include "core/plist/BinaryPlistReader.h"
#include "core/plist/BinaryPlistWriter.h"

#include <limits>

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using V = PlistValue;

namespace {

QByteArray hex(const QByteArray& text) {
    return QByteArray::fromHex(text);
}

QByteArray bigEndian(quint64 value, int width) {
    return hex(QByteArray::number(value, 16).rightJustified(2 * width, '0'));
}

// A bplist00 document with object 0 as its root, assembled independently of the writer.
// offsetSize 0 picks the smallest width that holds the offset table's offset.
QByteArray assemble(const QList<QByteArray>& objects, int refSize = 1, int offsetSize = 0) {
    QByteArray doc("bplist00");
    QList<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint64(doc.size()));
        doc += object;
    }
    const quint64 table = quint64(doc.size());
    if (offsetSize == 0)
        offsetSize = table < 0x100 ? 1 : table < 0x10000 ? 2 : 4;
    for (quint64 offset : offsets)
        doc += bigEndian(offset, offsetSize);
    doc += QByteArray(6, '\0') + char(offsetSize) + char(refSize);
    return doc + bigEndian(quint64(objects.size()), 8) + bigEndian(0, 8) + bigEndian(table, 8);
}

// Arrays nested so that the innermost, empty one sits at the given depth. With a tail, the root
// also holds the last `tail` arrays of the chain directly, so the deep path reaches them after
// they were read at a shallow depth.
QByteArray nested(int depth, int tail) {
    QList<QByteArray> objects;
    objects.append(tail == 0 ? hex("a1") + bigEndian(1, 2)
                             : hex("a2") + bigEndian(quint64(depth - tail), 2) + bigEndian(1, 2));
    for (int i = 1; i < depth; ++i)
        objects.append(hex("a1") + bigEndian(quint64(i + 1), 2));
    objects.append(hex("a0"));
    return assemble(objects, 2);
}

// A root holding `shared` references to an array of `inner` leaves and `direct` references to
// the leaf itself: 1 + shared * (1 + inner) + direct nodes expanded.
QByteArray wide(int shared, int inner, int direct) {
    return assemble({hex("af11") + bigEndian(quint64(shared + direct), 2) + QByteArray(shared, 1) +
                         QByteArray(direct, 2),
                     hex("af11") + bigEndian(quint64(inner), 2) + QByteArray(inner, 2), hex("08")});
}

} // namespace

TEST(BinaryPlist, EncodesEachObjectWithItsMarkerAndReadsItBack) {
    // Values and their bytes in a document, as hexadecimal (empty: not compared).
    const std::pair<V, const char*> written[] = {
        {V::boolean(true), "09"},
        {V::integer(255), "10ff"},
        {V::integer(256), "110100"},
        {V::integer(65536), "1200010000"},
        {V::integer(0x1'0000'0000), "130000000100000000"},
        {V::integer(-2), "13fffffffffffffffe"},
        {V::unsignedInteger(std::numeric_limits<quint64>::max()),
         "14 0000000000000000 ffffffffffffffff"},
        {V::singleReal(1.5f), "223fc00000"},
        {V::real(1.5), "233ff8000000000000"},
        {V::date(1.0), "333ff0000000000000"},
        {V::data(QByteArray(15, 'a')), "4f100f616161616161616161616161616161"},
        {V::string(u"abc"_s), "53616263"},
        {V::string(u"\u007f"_s), "517f"},
        {V::string(u"é"_s), "6100e9"},
        {V::uid(256), "810100"},
        {V::array({V::string(u"x"_s), V::string(u"x"_s)}), "a2010151 78"},
        {V::dictionary({{u"k"_s, V::boolean(false)}}), "d10102516b08"},
        {V::integer(std::numeric_limits<qint64>::min()), "138000000000000000"},
        {V::integer(std::numeric_limits<qint64>::max()), "137fffffffffffffff"},
        {V::real(-0.0), "238000000000000000"},
        {V::real(std::numeric_limits<double>::quiet_NaN()), "237ff8000000000000"},
        {V::uid(std::numeric_limits<quint32>::max()), "83ffffffff"},
        // Longer objects and trees, read back.
        {V::data(QByteArray(70'000, '\xA5')), ""},
        {V::string(u"Grüße 日本 😀"_s), ""},
        {V::string(u"nul\0inside é"_s), ""},
        {V::string(QString(QChar(0xD800)) + u"lone"_s), ""},
        {V::dictionary({{u"z"_s, V::array({V::dictionary({{u"é"_s, V::data("x")}}), V::array({})})},
                        {u"a"_s, V::string(u"z"_s)},
                        {u"z2"_s, V::dictionary({{u"a"_s, V::uid(3)}})}}),
         ""},
    };
    // Encodings that other writers choose and ours does not.
    const std::pair<V, const char*> readOnly[] = {
        {V(), "00"},
        {V::integer(0xFFFF'FFFF), "12ffffffff"}, // four bytes are unsigned
        {V::integer(-2), "14 ffffffffffffffff fffffffffffffffe"},
        {V::uid(0xFFFF'FFFF), "8f 000000000000000000000000 ffffffff"},
        {V::data("abc"), "4f 14 00000000000000000000000000000003 616263"},
    };
    // The smallest offset and reference sizes, as the trailer gives them, for the object count
    // and the offset table's offset.
    const std::pair<V, const char*> widths[] = {
        {V::array(V::Array(254, V::integer(1))), "0201"}, // 255 objects
        {V::array(V::Array(255, V::integer(1))), "0202"}, // 256 objects
        {V::data(QByteArray(244, 'x')), "0101"},          // offset table at 255
        {V::data(QByteArray(245, 'x')), "0201"},          // offset table at 256
    };
    for (const auto& [value, object] : written) {
        const QByteArray expected = hex(object), doc = BinaryPlistWriter::write(value).value_or("");
        EXPECT_EQ(doc.mid(8, expected.size()).toHex(), expected.toHex());
        EXPECT_TRUE(BinaryPlistReader::read(doc) == value) << object;
    }
    for (const auto& [value, object] : readOnly)
        EXPECT_TRUE(BinaryPlistReader::read(assemble({hex(object)})) == value) << object;
    for (const auto& [value, sizes] : widths) {
        const QByteArray doc = BinaryPlistWriter::write(value).value_or(QByteArray(26, 0));
        EXPECT_EQ(doc.mid(doc.size() - 26, 2).toHex(), QByteArray(sizes));
        EXPECT_TRUE(BinaryPlistReader::read(doc) == value) << sizes;
    }
    EXPECT_FALSE(BinaryPlistWriter::write(V::array({V::integer(1), V()})));
    EXPECT_FALSE(BinaryPlistWriter::write(V::dictionary({{u"k"_s, V::uid(0x1'0000'0000)}})));
}

// One document for each check the reader makes, and the limits on depth and expanded size.
TEST(BinaryPlistReader, RefusesMalformedAndHostileDocuments) {
    const QByteArray base = assemble({hex("a2 01 02"), hex("51 61"), hex("09")});
    const QList<QByteArray> manyObjects(256, hex("08"));
    const QList<QByteArray> farObjects{hex("08"), hex("4f 11 012c") + QByteArray(300, 'x')};
    for (const QByteArray& doc : {base, assemble(manyObjects, 2), assemble(farObjects),
                                  nested(512, 0), nested(512, 10), wide(1000, 998, 999)})
        EXPECT_TRUE(BinaryPlistReader::read(doc)) << doc.left(40).toHex().constData();
    const qsizetype tableOffset = base.size() - 32 - 3;
    const auto patched = [&base](qsizetype position, quint64 value, int width) {
        return QByteArray(base).replace(position, width, bigEndian(value, width));
    };
    const qsizetype end = base.size();

    const std::pair<const char*, QByteArray> cases[] = {
        {"magic only", "bplist00"},
        {"magic bplist01", patched(7, '1', 1)},
        {"trailing slack", base.first(end - 32) + '\0' + base.last(32)},
        {"table offset past end", patched(end - 8, quint64(end), 8)},
        {"table offset in header", patched(end - 8, 8, 8)},
        {"offset entry at the table", patched(tableOffset + 2, quint64(tableOffset), 1)},
        {"top object in header", patched(tableOffset, 0, 1)}, // "bp..." is a valid string
        {"top object out of range", patched(end - 16, 3, 8)},
        {"no objects", patched(end - 24, 0, 8)},
        {"offset size zero", patched(end - 26, 0, 1)},
        {"ref size zero", patched(end - 25, 0, 1)},
        {"ref size too small for 256 objects", assemble(manyObjects, 1)},
        {"offset size too small for table at 312", assemble(farObjects, 1, 1)},
        {"ref out of range", assemble({hex("a1 05"), hex("08")})},
        {"ref past object area", assemble({hex("a2 01")})},
        {"cycle", assemble({hex("a1 01"), hex("a1 00")})},
        {"count past object area", assemble({hex("43 6162")})},
        {"count 2^62 UTF-16", assemble({hex("6f 13 4000000000000000")})},
        {"count 2^62 dictionary", assemble({hex("df 13 4000000000000000")})},
        {"count above INT64_MAX", assemble({hex("af 13 8000000000000000")})},
        {"count not an integer", assemble({hex("4f 23 0000000000000000")})},
        {"int past object area", assemble({hex("13 0000")})},
        {"8-bit ASCII string", assemble({hex("51 80")})},
        {"array key", assemble({hex("d1 01 02"), hex("a0"), hex("08")})},
        {"uid above 32 bits", assemble({hex("84 0100000000")})},
        {"depth 513", nested(513, 0)},
        {"depth 513 through a shared tail", nested(513, 10)},
        {"1,000,001 nodes", wide(1000, 998, 1000)},
    };
    for (const auto& [name, doc] : cases)
        EXPECT_FALSE(BinaryPlistReader::read(doc)) << name;
    const QByteArray objects("0f|0c|0d|0e|01|07|0a|15|2000|210000|24000000000000000000|3200000000|"
                             "34|70|7161|90|b0|c0|c100|e0|f0");
    for (const QByteArray& object : objects.split('|'))
        EXPECT_FALSE(BinaryPlistReader::read(assemble({hex(object)}))) << object.constData();
}
