#pragma once

#include "core/model/ValueCodec.h"

namespace palvorn {

// Bytes as pairs of hexadecimal digits. By syntax:
//   Editor        written "<", lower-case digits with a space after every 4 bytes except at the
//                 end, ">" ("<48656c6c 6f>", empty "<>"), never shortened. Read back: line breaks
//                 and spaces at the end ignored, spaces removed, an optional "<" and ">", then
//                 pairs of digits ("+d" and "-0" also pass, as the platform's integer parse
//                 allows them); a character that is not a digit, or a refused pair, is quoted
//                 with its invisible characters spelled out ("\n", "U+200B").
//   Dump          written "0x" and lower-case digits; read back after "0x" or "0X" with white
//                 space anywhere and an even number of digits, as setfattr reads it.
//   PropertyList  written as for the editor; read back as an old-style property list's data
//                 between its "<" and ">": pairs of digits, with white space only between pairs.
class HexCodec final : public ValueCodec {
public:
    explicit HexCodec(Syntax syntax) : m_syntax(syntax) {}

    // The editor's text, for the renderings that show it without choosing a codec.
    static QString grouped(QByteArrayView bytes);
    static void appendGrouped(QByteArray& out, QByteArrayView bytes);

    QString encode(QByteArrayView bytes) const override;
    void appendEncoded(QByteArray& out, QByteArrayView bytes) const override;
    Decoded decode(QStringView text) const override;
    Decoded decode(QByteArrayView text) const override;

private:
    const Syntax m_syntax;
};

} // namespace palvorn
