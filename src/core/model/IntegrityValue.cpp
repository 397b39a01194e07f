#include "core/model/IntegrityValue.h"

#include <array>

#include <QtEndian>

namespace palvorn {

namespace {

enum Type : quint8 {
    ImaDigest = 0x01,
    EvmHmac = 0x02,
    ImaSignature = 0x03,
    ImaDigestWithAlgorithm = 0x04,
    EvmPortableSignature = 0x05,
    ImaVeritySignature = 0x06,
};

struct Algorithm {
    const char* name;
    qsizetype digestSize;
};

constexpr std::array<Algorithm, 20> algorithms = {{
    {"md4", 16},    {"md5", 16},    {"sha1", 20},   {"rmd160", 20},      {"sha256", 32},
    {"sha384", 48}, {"sha512", 64}, {"sha224", 28}, {"rmd128", 16},      {"rmd256", 32},
    {"rmd320", 40}, {"wp256", 32},  {"wp384", 48},  {"wp512", 64},       {"tgr128", 16},
    {"tgr160", 20}, {"tgr192", 24}, {"sm3", 32},    {"streebog256", 32}, {"streebog512", 64},
}};
constexpr quint8 md5 = 1;
constexpr quint8 sha1 = 2;

// type, version, hash algorithm, key id (4 bytes), signature size (2 bytes)
constexpr qsizetype signatureHeaderSize = 9;

QString line(const char* field, const QString& value) {
    return QLatin1StringView(field) + QStringLiteral(": ") + value + u'\n';
}

QString hex(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.toByteArray().toHex());
}

QString typeLine(quint8 type) {
    switch (type) {
    case ImaDigest:
        return line("type", QStringLiteral("IMA_XATTR_DIGEST (file digest, old form)"));
    case EvmHmac:
        return line("type", QStringLiteral("EVM_XATTR_HMAC (HMAC of the file's attributes)"));
    case ImaSignature:
        return line("type", QStringLiteral("EVM_IMA_XATTR_DIGSIG (signature)"));
    case ImaDigestWithAlgorithm:
        return line("type", QStringLiteral("IMA_XATTR_DIGEST_NG (file digest)"));
    case EvmPortableSignature:
        return line("type", QStringLiteral("EVM_XATTR_PORTABLE_DIGSIG (portable signature)"));
    default:
        return line("type", QStringLiteral("IMA_VERITY_DIGSIG (fs-verity signature)"));
    }
}

Parsed<QString> digest(quint8 type, quint8 algorithm, QByteArrayView bytes) {
    const Algorithm& known = algorithms[algorithm];
    if (bytes.size() != known.digestSize)
        return Parsed<QString>::refused(QStringLiteral("a %1 digest takes %2 bytes, not %3")
                                            .arg(QLatin1StringView(known.name))
                                            .arg(known.digestSize)
                                            .arg(bytes.size()));
    return {typeLine(type) + line("algorithm", QLatin1StringView(known.name)) +
                line("digest", hex(bytes)),
            {}};
}

Parsed<QString> signature(quint8 type, QByteArrayView value) {
    using Result = Parsed<QString>;
    if (value.size() < signatureHeaderSize)
        return Result::refused(QStringLiteral("it is %1 bytes long, shorter than a signature's "
                                              "9-byte header")
                                   .arg(value.size()));
    const quint8 version = quint8(value.at(1));
    const quint8 expectedVersion = type == ImaVeritySignature ? 3 : 2;
    if (version != expectedVersion)
        return Result::refused(QStringLiteral("its signature version is %1, not %2")
                                   .arg(version)
                                   .arg(expectedVersion));
    const quint8 algorithm = quint8(value.at(2));
    if (algorithm >= algorithms.size())
        return Result::refused(QStringLiteral("its hash algorithm %1 is unknown").arg(algorithm));
    const quint16 size = qFromBigEndian<quint16>(value.data() + 7);
    const QByteArrayView signatureBytes = value.sliced(signatureHeaderSize);
    if (signatureBytes.size() != size)
        return Result::refused(QStringLiteral("its header says %1 signature bytes, but %2 follow")
                                   .arg(size)
                                   .arg(signatureBytes.size()));
    return {typeLine(type) + line("version", QString::number(version)) +
                line("algorithm", QLatin1StringView(algorithms[algorithm].name)) +
                line("key id", hex(value.sliced(3, 4))) + line("signature", hex(signatureBytes)),
            {}};
}

} // namespace

Parsed<QString> IntegrityValue::describe(QByteArrayView value) {
    using Result = Parsed<QString>;
    if (value.isEmpty())
        return Result::refused(QStringLiteral("it is empty"));
    const quint8 type = quint8(value.at(0));
    switch (type) {
    case ImaDigest:
        // Before algorithms were named, the length told them apart.
        if (value.size() == 1 + algorithms[md5].digestSize)
            return digest(type, md5, value.sliced(1));
        return digest(type, sha1, value.sliced(1));
    case EvmHmac:
        return digest(type, sha1, value.sliced(1));
    case ImaDigestWithAlgorithm: {
        if (value.size() < 2)
            return Result::refused(QStringLiteral("it ends before its hash algorithm"));
        const quint8 algorithm = quint8(value.at(1));
        if (algorithm >= algorithms.size())
            return Result::refused(
                QStringLiteral("its hash algorithm %1 is unknown").arg(algorithm));
        return digest(type, algorithm, value.sliced(2));
    }
    case ImaSignature:
    case EvmPortableSignature:
    case ImaVeritySignature:
        return signature(type, value);
    default:
        return Result::refused(QStringLiteral("its type %1 is unknown").arg(type));
    }
}

} // namespace palvorn
