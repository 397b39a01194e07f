#pragma once

#include "core/model/ValueCodec.h"

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace palvorn {

// The text form in which attributes travel between the Linux attr tools: "# file: PATH" lines,
// then "name=value" lines, a blank line after each file. These are its pieces, byte for byte as
// getfattr writes them and setfattr reads them back.
// Values are written by the codecs' Dump syntax (ValueCodec.h): quoted text (which drops one
// trailing NUL, as the attr tools' text form does, so it is not lossless), 0x hexadecimal, or 0s
// base64.
class AttributeDump {
public:
    // "text", "hex" or "base64": the encodings a dump writes.
    static std::optional<ValueEncoding> encodingNamed(QStringView name);

    // "# file: PATH\n" with the path's backslashes, line breaks and NUL bytes escaped.
    static QByteArray header(QByteArrayView path);
    // "name=value\n".
    static QByteArray line(QByteArrayView name, QByteArrayView value, ValueEncoding encoding);

    static QByteArray escapePath(QByteArrayView path);
    // Like a path, and "=" too, which ends a name, and a leading "#", which starts a comment.
    static QByteArray escapeName(QByteArrayView name);
    static QByteArray encodeValue(QByteArrayView value, ValueEncoding encoding);

    // The reverse of escapePath and escapeName: a backslash and exactly three octal digits is one
    // byte; every other backslash stays as it is.
    static QByteArray unescapeName(QByteArrayView text);
    // A value after the "=": 0x hexadecimal and 0s base64 (either letter case), otherwise text:
    // the codec its prefix names reads it. No value for a hexadecimal or base64 text that does
    // not decode.
    static std::optional<QByteArray> decodeValue(QByteArrayView text);
};

} // namespace palvorn
