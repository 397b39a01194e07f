#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace palvorn {

// Paths and arguments are bytes, but Qt carries them as text. This keeps every byte: valid UTF-8
// becomes its text, and each byte that is not part of a valid sequence becomes the lone surrogate
// U+DC80 + byte (which no valid UTF-8 can produce), so that encode(decode(b)) == b for any b.
class ByteText {
public:
    static QString decode(QByteArrayView bytes);
    static QByteArray encode(QStringView text);
};

} // namespace palvorn
