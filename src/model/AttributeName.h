#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace palvorn {

// Attribute names are bytes: the system lists them without any encoding. A name is shown as its
// UTF-8 text; each byte that is not part of a valid sequence (malformed, overlong, surrogate,
// beyond U+10FFFF) is shown as \xHH, so that such a name is visible and tells itself apart.
QString displayName(QByteArrayView listedName);

// The system's list of names, split at its NUL bytes into views of the list; every non-empty
// piece is a name, and a last one without its NUL still counts. Replaces what names held.
void splitNameList(QByteArrayView list, QList<QByteArrayView>& names);

// Length of the strictly valid UTF-8 sequence that starts the bytes, or 0 if none does.
qsizetype validUtf8SequenceLength(QByteArrayView bytes);

} // namespace palvorn
