#pragma once

#include "core/model/ValueCodec.h"

namespace palvorn {

// Bytes as text. By syntax:
//   Editor        (and PropertyList) the value's UTF-8 text, strictly decoded; a value that is
//                 not UTF-8 is written as its hex text, which reads back only as hex. Any text
//                 reads back as its UTF-8 bytes.
//   Dump          written quoted, as the attr tools' text form: one trailing NUL dropped (so not
//                 lossless), NUL, CR and LF as octal escapes, a quote and a backslash escaped.
//                 Read back quoted or not, with backslash escapes (a backslash and up to three
//                 octal digits is one byte).
class TextCodec final : public ValueCodec {
public:
    explicit TextCodec(Syntax syntax) : m_syntax(syntax) {}

    // "\ooo", the escape the dump writes for a byte in a value, a name or a path.
    static void appendOctalEscape(QByteArray& out, unsigned char byte);
    static bool isOctalDigit(char c) { return c >= '0' && c <= '7'; }

    QString encode(QByteArrayView bytes) const override;
    void appendEncoded(QByteArray& out, QByteArrayView bytes) const override;
    Decoded decode(QStringView text) const override;
    Decoded decode(QByteArrayView text) const override;

private:
    const Syntax m_syntax;
};

} // namespace palvorn
