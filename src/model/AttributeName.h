#pragma once

#include <QByteArrayView>
#include <QString>

namespace palvorn {

// Attribute names are bytes: the system lists them without any encoding. A name is shown as its
// UTF-8 text; each byte that is not part of a valid sequence (malformed, overlong, surrogate,
// beyond U+10FFFF) is shown as \xHH, so that such a name is visible and tells itself apart.
QString displayName(QByteArrayView listedName);

// Length of the strictly valid UTF-8 sequence that starts the bytes, or 0 if none does.
qsizetype validUtf8SequenceLength(QByteArrayView bytes);

} // namespace palvorn
