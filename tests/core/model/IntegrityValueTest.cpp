#include "core/model/IntegrityValue.h"

#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// Each of the kernel's forms names its type and algorithm and shows the digest or signature in
// hex; the old digest form tells MD5 from SHA-1 by its length.
TEST(IntegrityValueTest, DigestsHmacsAndSignaturesAreShownFieldByField) {
    const QByteArray sha256(32, '\xab');
    const QByteArray sha1(20, '\x01');
    const std::pair<QByteArray, QString> cases[] = {
        {"\x04\x04" + sha256, u"type: IMA_XATTR_DIGEST_NG (file digest)\nalgorithm: sha256\n"
                              u"digest: "_s +
                                  QString::fromLatin1(sha256.toHex()) + u'\n'},
        {"\x04\x11" + sha256, u"type: IMA_XATTR_DIGEST_NG (file digest)\nalgorithm: sm3\n"
                              u"digest: "_s +
                                  QString::fromLatin1(sha256.toHex()) + u'\n'},
        {"\x01" + sha1, u"type: IMA_XATTR_DIGEST (file digest, old form)\nalgorithm: sha1\n"
                        u"digest: 0101010101010101010101010101010101010101\n"_s},
        {"\x01" + QByteArray(16, '\x02'),
         u"type: IMA_XATTR_DIGEST (file digest, old form)\nalgorithm: md5\n"
         u"digest: 02020202020202020202020202020202\n"_s},
        {"\x02" + sha1, u"type: EVM_XATTR_HMAC (HMAC of the file's attributes)\nalgorithm: sha1\n"
                        u"digest: 0101010101010101010101010101010101010101\n"_s},
        {QByteArray::fromHex("030204a1b2c3d40003c0ffee"),
         u"type: EVM_IMA_XATTR_DIGSIG (signature)\nversion: 2\nalgorithm: sha256\n"
         u"key id: a1b2c3d4\nsignature: c0ffee\n"_s},
        {QByteArray::fromHex("050206000000010000"),
         u"type: EVM_XATTR_PORTABLE_DIGSIG (portable signature)\nversion: 2\nalgorithm: sha512\n"
         u"key id: 00000001\nsignature: \n"_s},
        {QByteArray::fromHex("06030412345678000100"),
         u"type: IMA_VERITY_DIGSIG (fs-verity signature)\nversion: 3\nalgorithm: sha256\n"
         u"key id: 12345678\nsignature: 00\n"_s},
    };
    for (const auto& [value, text] : cases) {
        const Parsed<QString> described = IntegrityValue::describe(value);
        EXPECT_EQ(described.value.value_or(described.problem), text) << value.toHex().constData();
    }
}
