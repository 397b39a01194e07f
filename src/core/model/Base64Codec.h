#pragma once

#include "core/model/ValueCodec.h"

namespace palvorn {

// Bytes in base64 (RFC 4648's alphabet, padded). By syntax:
//   Dump          written "0s" and the digits; read back after "0s" or "0S" as setfattr reads
//                 it: whole groups of four, white space only between groups, padding only in the
//                 last group and with its unused bits zero.
//   PropertyList  (and Editor) written as the digits alone; read back as an XML property list's
//                 data: any white space between the characters, ASCII only, strictly decoded.
class Base64Codec final : public ValueCodec {
public:
    explicit Base64Codec(Syntax syntax) : m_syntax(syntax) {}

    QString encode(QByteArrayView bytes) const override;
    void appendEncoded(QByteArray& out, QByteArrayView bytes) const override;
    Decoded decode(QStringView text) const override;
    Decoded decode(QByteArrayView text) const override;

private:
    const Syntax m_syntax;
};

} // namespace palvorn
