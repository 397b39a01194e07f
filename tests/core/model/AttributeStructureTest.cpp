#include "core/model/AttributeStructure.h"

#include "core/editor/EditorConversion.h"
#include "core/model/HexCodec.h"
#include "core/model/PosixAcl.h"
#include "core/model/ResourceItem.h"
#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <QtEndian>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray aclOf(quint32 version, const QList<std::tuple<quint16, quint16, quint32>>& entries) {
    QByteArray value(4, '\0');
    qToLittleEndian<quint32>(version, value.data());
    for (const auto& [tag, permissions, id] : entries) {
        char entry[8];
        qToLittleEndian<quint16>(tag, entry);
        qToLittleEndian<quint16>(permissions, entry + 2);
        qToLittleEndian<quint32>(id, entry + 4);
        value.append(entry, 8);
    }
    return value;
}

constexpr quint32 none = 0xFFFFFFFF;
const QList<std::tuple<quint16, quint16, quint32>> minimalAcl = {
    {PosixAcl::UserObj, 6, none}, {PosixAcl::GroupObj, 4, none}, {PosixAcl::Other, 4, none}};

// The most a rendering may grow: 9 characters per byte of the value (an entry of a default
// list naming a 32-character group, with its effective rights) and a kilobyte.
bool isBounded(const QString& text, const QByteArray& value) {
    return text.size() <= 9 * value.size() + 1024;
}

} // namespace

// A value that is not what its name promises says why in one line, and no more than that.
TEST(AttributeStructureTest, MalformedValuesSayWhyInOneLine) {
    QByteArray huge = aclOf(2, minimalAcl);
    huge.append(QByteArray(8 * PosixAcl::maxEntries, '\0'));
    const struct {
        QByteArray name;
        QByteArray value;
        QString problem;
    } cases[] = {
        {"system.posix_acl_access", "", u"it is 0 bytes long, shorter than its 4-byte header"_s},
        {"system.posix_acl_access", QByteArray("\x02\0\0", 3),
         u"it is 3 bytes long, shorter than its 4-byte "
         u"header"_s},
        {"system.posix_acl_access", aclOf(3, minimalAcl), u"its version is 3, not 2"_s},
        {"system.posix_acl_access", aclOf(2, {}), u"it holds no entries"_s},
        {"system.posix_acl_access", aclOf(2, minimalAcl) + QByteArray("\x01\0", 2),
         u"its 26 bytes after the header are not a whole number of 8-byte entries"_s},
        {"system.posix_acl_access", huge, u"it holds more than 8191 entries"_s},
        {"system.posix_acl_access",
         aclOf(2, minimalAcl + QList{std::tuple{quint16(0x40), quint16(0), none}}),
         u"entry 4 has the unknown tag 0x40"_s},
        {"system.posix_acl_access", aclOf(2, {{PosixAcl::UserObj, 8, none}}),
         u"entry 1 has rights beyond rwx (0x8)"_s},
        {"system.posix_acl_access", aclOf(2, minimalAcl.first(2)), u"it has no other:: entry"_s},
        {"system.posix_acl_access", aclOf(2, {minimalAcl[1], minimalAcl[0], minimalAcl[2]}),
         u"its entries are not in the kernel's order"_s},
        {"system.posix_acl_access",
         aclOf(2, {minimalAcl[0], {PosixAcl::User, 4, 7}, minimalAcl[1], minimalAcl[2]}),
         u"it names users or groups but has no mask:: entry"_s},
        {"system.posix_acl_default",
         aclOf(2, {minimalAcl[0],
                   {PosixAcl::User, 4, none},
                   minimalAcl[1],
                   {PosixAcl::Mask, 4, 0},
                   minimalAcl[2]}),
         u"it names the undefined user 4294967295"_s},
        {"system.posix_acl_default",
         aclOf(2, {minimalAcl[0],
                   {PosixAcl::Group, 4, 5},
                   {PosixAcl::Group, 4, 5},
                   {PosixAcl::Mask, 4, 0},
                   minimalAcl[2]}),
         u"it has no group:: entry"_s},
        {"system.posix_acl_access",
         aclOf(2, {minimalAcl[0],
                   minimalAcl[1],
                   {PosixAcl::Group, 4, 5},
                   {PosixAcl::Group, 4, 5},
                   {PosixAcl::Mask, 4, 0},
                   minimalAcl[2]}),
         u"it names group 5 twice"_s},
        {"security.capability", "", u"it is 0 bytes long, shorter than its 4-byte header"_s},
        {"security.capability", QByteArray::fromHex("00000004") + QByteArray(16, '\0'),
         u"its revision 4 is unknown"_s},
        {"security.capability", QByteArray::fromHex("00000002") + QByteArray(12, '\0'),
         u"revision 2 takes 20 bytes, not 16"_s},
        {"security.capability", QByteArray::fromHex("00000001") + QByteArray(16, '\0'),
         u"revision 1 takes 12 bytes, not 20"_s},
        {"security.capability", QByteArray::fromHex("00000003") + QByteArray(16, '\0'),
         u"revision 3 takes 24 bytes, not 20"_s},
        {"security.capability", QByteArray::fromHex("03000002") + QByteArray(16, '\0'),
         u"its flags 0x000003 are unknown"_s},
        {"security.selinux", "", u"it is empty"_s},
        {"security.selinux", QByteArray(1, '\0'), u"it is empty"_s},
        {"security.SMACK64EXEC", "\xff", u"it is not UTF-8 text"_s},
        {"security.apparmor", QByteArray("a\0b\0", 4), u"it holds control characters"_s},
        {"security.selinux", "label\x1b[31m", u"it holds control characters"_s},
        {"security.selinux", "two\nlines", u"it holds control characters"_s},
        {"security.ima", "", u"it is empty"_s},
        {"security.ima", "\x07", u"its type 7 is unknown"_s},
        {"security.ima", "\x04", u"it ends before its hash algorithm"_s},
        {"security.ima", "\x04\x14" + QByteArray(32, 'x'), u"its hash algorithm 20 is unknown"_s},
        {"security.ima", "\x04\x04" + QByteArray(31, 'x'),
         u"a sha256 digest takes 32 bytes, not 31"_s},
        {"security.evm", "\x02" + QByteArray(19, 'x'), u"a sha1 digest takes 20 bytes, not 19"_s},
        {"security.ima", "\x03\x02",
         u"it is 2 bytes long, shorter than a signature's 9-byte "
         u"header"_s},
        {"security.ima", QByteArray::fromHex("030204112233440100"),
         u"its header says 256 signature bytes, but 0 follow"_s},
        {"security.ima", QByteArray::fromHex("03020411223344ffff") + QByteArray(70000, 'x'),
         u"its header says 65535 signature bytes, but 70000 follow"_s},
        {"security.evm", QByteArray::fromHex("030104112233440000"),
         u"its signature version is 1, not 2"_s},
        {"security.ima", QByteArray::fromHex("060204112233440000"),
         u"its signature version is 2, not 3"_s},
        {"security.evm", QByteArray::fromHex("0502ff112233440000"),
         u"its hash algorithm 255 is unknown"_s},
    };
    const QHash<QByteArray, QString> prefixes = {
        {"system.posix_acl_access", u"Not an access control list: "_s},
        {"system.posix_acl_default", u"Not a default access control list: "_s},
        {"security.capability", u"Not file capabilities: "_s},
        {"security.selinux", u"Not a security label: "_s},
        {"security.apparmor", u"Not a security label: "_s},
        {"security.SMACK64EXEC", u"Not a security label: "_s},
        {"security.ima", u"Not integrity data: "_s},
        {"security.evm", u"Not integrity data: "_s},
    };
    for (const auto& c : cases) {
        const AttributeStructure structure = AttributeStructure::read(c.name, c.value);
        EXPECT_FALSE(structure.parsed());
        EXPECT_EQ(structure.problemLine(), prefixes.value(c.name) + c.problem + u".\n"_s)
            << c.name.constData() << " " << c.value.left(40).toHex().constData();
        EXPECT_EQ(structure.crawlLines(), structure.problemLine());
        EXPECT_FALSE(AttributeStructure::holdsEditable(c.name, c.value));
    }
}

// The inspector's text: the structure under its heading instead of the content section, or the
// reason before today's content section; other names exactly as ever.
TEST(AttributeStructureTest, DisplayTextShowsTheStructureOrSaysWhyNot) {
    const QByteArray label("system_u:object_r:bin_t:s0\0", 27);
    const QByteArray capability = QByteArray::fromHex("0100000200040000000000000000000000000000");
    const QByteArray badAcl = aclOf(3, minimalAcl);
    const auto head = [](const char* name, const QByteArray& value) {
        return QString::fromLatin1(name) + u" ("_s + QString::number(value.size()) +
               u" bytes):\n\n"_s + HexCodec::grouped(value) + u"\n\n"_s;
    };
    const std::tuple<const char*, QByteArray, QString> cases[] = {
        {"security.selinux", label, u"Security label:\n\nsystem_u:object_r:bin_t:s0\n"_s},
        {"security.SMACK64", "_", u"Security label:\n\n_\n"_s},
        {"security.capability", capability, u"File capabilities:\n\ncap_net_bind_service=ep\n"_s},
        {"system.posix_acl_access", aclOf(2, minimalAcl),
         u"Access control list:\n\nuser::rw-\ngroup::r--\nother::r--\n"_s},
        {"system.posix_acl_default", aclOf(2, minimalAcl),
         u"Default access control list:\n\ndefault:user::rw-\ndefault:group::r--\n"
         u"default:other::r--\n"_s},
        {"security.ima", "\x01" + QByteArray(16, 'a'),
         u"Integrity data:\n\ntype: IMA_XATTR_DIGEST (file digest, old form)\nalgorithm: md5\n"
         u"digest: 61616161616161616161616161616161\n"_s},
        {"system.posix_acl_access", badAcl,
         u"Not an access control list: its version is 3, not "
         u"2.\n\n"_s},
        {"security.selinux", "\xff\xfe", u"Not a security label: it is not UTF-8 text.\n\n"_s},
        {"security.ima", "hello world",
         u"Not integrity data: its type 104 is unknown.\n\n"
         u"String content:\n\nhello world\n"_s},
        {"security.capability", "bplist00junk",
         u"Not file capabilities: its revision 105 is unknown.\n\nProperty list content:\n\nNot "
         u"a binary Plist\n"_s},
        {"user.selinux", label.chopped(1), u"String content:\n\nsystem_u:object_r:bin_t:s0\n"_s},
    };
    for (const auto& [name, value, content] : cases) {
        const ResourceItem item(QByteArray(name), value);
        EXPECT_EQ(item.displayText(), head(name, value) + content) << name;
        EXPECT_TRUE(isBounded(AttributeStructure::read(name, value).text(), value)) << name;
    }
}

// The editor offers the structure's text for the names it edits and turns a text back into the
// bytes it stands for; integrity values stay hex text.
TEST(AttributeStructureTest, EditorTextsAndConversions) {
    const QByteArray label("system_u:object_r:bin_t:s0\0", 27);
    const std::tuple<const char*, QByteArray, qint64, QString> records[] = {
        {"security.selinux", label, ResourceItem::StructureType, u"system_u:object_r:bin_t:s0\n"_s},
        {"security.capability", QByteArray::fromHex("0000000200000000000000000000000000000000"),
         ResourceItem::StructureType, u"=\n"_s},
        {"system.posix_acl_access", aclOf(2, minimalAcl), ResourceItem::StructureType,
         u"user::rw-\ngroup::r--\nother::r--\n"_s},
        {"security.ima", "\x01" + QByteArray(16, 'a'), ResourceItem::TextType,
         u"\u0001aaaaaaaaaaaaaaaa"_s},
        {"security.capability", "\x01\x02", ResourceItem::BinaryType, u"<0102>"_s},
    };
    for (const auto& [name, value, type, text] : records) {
        ResourceItem item(QByteArray(name), value);
        EXPECT_EQ(item.type(), type) << name;
        EXPECT_EQ(item.editableText(), text) << name;
        EXPECT_EQ(EditorConversion::formatOfType(item.type()), type == ResourceItem::StructureType
                                                                   ? EditorConversion::Structure
                                                                   : int(qMin<qint64>(type, 2)));
        item.setType(ResourceItem::StructureType); // chosen for a value that is not one: hex
        if (type != ResourceItem::StructureType) {
            EXPECT_EQ(item.editableText(), HexCodec::grouped(value)) << name;
        }
    }

    const std::tuple<const char*, QString, QByteArray> saves[] = {
        {"security.selinux", u"system_u:object_r:bin_t:s0\n"_s, label},
        {"security.SMACK64", u"_"_s, "_"},
        {"security.capability", u"cap_net_bind_service=ep"_s,
         QByteArray::fromHex("0100000200040000000000000000000000000000")},
        {"system.posix_acl_default", u"u::rwx,g::r-x,o::---"_s,
         aclOf(2, {{PosixAcl::UserObj, 7, none},
                   {PosixAcl::GroupObj, 5, none},
                   {PosixAcl::Other, 0, none}})},
    };
    for (const auto& [name, text, bytes] : saves) {
        const Result<QByteArray> converted =
            EditorConversion::bytesFor(EditorConversion::Structure, text, name);
        EXPECT_EQ(valueOf(converted), bytes)
            << name << " "
            << (converted ? QString() : EditorConversion::problemOf(converted.error()))
                   .toStdString();
    }
    const std::tuple<const char*, QString, QString> refusals[] = {
        {"security.selinux", u"two\nlines"_s,
         u"Security label: it holds control characters, so nothing was saved."_s},
        {"security.capability", u"cap_nothing=p"_s,
         u"File capabilities: \u201ccap_nothing=p\u201d names a capability that does not exist, "
         u"so nothing was saved."_s},
        {"system.posix_acl_access", u"u::rw-"_s,
         u"Access control list: it has no group:: entry, so nothing was saved."_s},
        {"security.ima", u"00"_s,
         u"This attribute has no structure to edit, so nothing was "
         u"saved."_s},
    };
    for (const auto& [name, text, problem] : refusals) {
        const Result<QByteArray> converted =
            EditorConversion::bytesFor(EditorConversion::Structure, text, name);
        EXPECT_FALSE(converted) << name;
        EXPECT_EQ(converted ? QString() : EditorConversion::problemOf(converted.error()), problem)
            << name;
    }

    // The fifth format is offered, and named on the command line, only where it fits.
    EXPECT_EQ(EditorConversion::formatList("system.posix_acl_default").value(4),
              u"Default access control list"_s);
    EXPECT_EQ(EditorConversion::formatList("security.ima").size(), 4);
    EXPECT_EQ(EditorConversion::formatList().size(), 4);
    EXPECT_EQ(EditorConversion::formatOfWord(u"caps"_s, "security.capability"),
              EditorConversion::Structure);
    EXPECT_EQ(EditorConversion::formatOfWord(u"acl"_s, "security.capability"), std::nullopt);
    EXPECT_EQ(EditorConversion::formatWords("security.SMACK64MMAP"),
              u"text, plist, hex or label"_s);
    EXPECT_EQ(EditorConversion::formatWords("user.x"), u"text, plist or hex"_s);
}

// The largest list a value can hold renders within the bound, with numbers for ids no one has.
TEST(AttributeStructureTest, TheLargestListStaysWithinTheBound) {
    QList<std::tuple<quint16, quint16, quint32>> entries = {minimalAcl[0]};
    for (quint32 id = 0; id < quint32(PosixAcl::maxEntries) - 4; ++id)
        entries.append({PosixAcl::Group, 7, 4000000000u + id});
    entries.append(minimalAcl[1]);
    entries.append({PosixAcl::Mask, 0, none});
    entries.append(minimalAcl[2]);
    std::stable_sort(entries.begin(), entries.end());
    const QByteArray value = aclOf(2, entries);
    EXPECT_EQ(value.size(), 4 + 8 * PosixAcl::maxEntries);
    const AttributeStructure structure =
        AttributeStructure::read("system.posix_acl_default", value);
    ASSERT_TRUE(structure.parsed()) << structure.problem().toStdString();
    EXPECT_TRUE(structure.text().contains(u"\ndefault:group:4000000000:rwx\t#effective:---\n"_s));
    EXPECT_TRUE(isBounded(structure.text(), value));
}
