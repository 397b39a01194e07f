#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace palvorn {

// How a dump writes values: quoted text (drops one trailing NUL, as the attr tools' text form
// does, so it is not lossless), 0x hexadecimal, or 0s base64.
enum class DumpEncoding { Text, Hex, Base64 };

// The text form in which attributes travel between the Linux attr tools: "# file: PATH" lines,
// then "name=value" lines, a blank line after each file. These are its pieces, byte for byte as
// getfattr writes them and setfattr reads them back.
class AttributeDump {
public:
    static std::optional<DumpEncoding> encodingNamed(QStringView name);

    // "# file: PATH\n" with the path's backslashes, line breaks and NUL bytes escaped.
    static QByteArray header(QByteArrayView path);
    // "name=value\n".
    static QByteArray line(QByteArrayView name, QByteArrayView value, DumpEncoding encoding);

    static QByteArray escapePath(QByteArrayView path);
    // Like a path, and "=" too, which ends a name, and a leading "#", which starts a comment.
    static QByteArray escapeName(QByteArrayView name);
    static QByteArray encodeValue(QByteArrayView value, DumpEncoding encoding);

    // The reverse of escapePath and escapeName: a backslash and exactly three octal digits is one
    // byte; every other backslash stays as it is.
    static QByteArray unescapeName(QByteArrayView text);
    // A value after the "=": 0x hexadecimal and 0s base64 (either letter case, white space
    // allowed as setfattr allows it), otherwise text, quoted or not, with backslash escapes.
    // No value for a hexadecimal or base64 text that does not decode.
    static std::optional<QByteArray> decodeValue(QByteArrayView text);
};

} // namespace palvorn
