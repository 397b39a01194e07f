#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace palvorn {

// Attribute names are bytes: the system lists them without any encoding, and anyone who can
// write a file can choose them. A name is shown as its UTF-8 text, except that each byte that is
// not part of a valid sequence (malformed, overlong, surrogate, beyond U+10FFFF) and each control
// character (C0, DEL, C1: DisplayText::isControl, every byte of it) is shown as \xHH, and a
// backslash as \\. So a name can neither steer a terminal nor split a line, no two names look
// the same, and what is shown can be typed back (typedName). Paths are shown by the same rule.
QString displayName(QByteArrayView listedName);

// A name typed as displayName shows it: \\ is a backslash, \xHH (two hex digits, either case)
// the byte HH, and every other character its UTF-8 bytes (bytes that ByteText keeps in text stay
// those bytes). A backslash before anything else, and \x00 (no name can hold a NUL byte), are
// refused with a problem that says why rather than guessed at.
struct TypedName {
    std::optional<QByteArray> name;
    QString problem;
};
TypedName typedName(QStringView typed);

// The system's list of names, split at its NUL bytes into views of the list; every non-empty
// piece is a name, and a last one without its NUL still counts. Replaces what names held.
void splitNameList(QByteArrayView list, QList<QByteArrayView>& names);

// Length of the strictly valid UTF-8 sequence that starts the bytes, or 0 if none does.
qsizetype validUtf8SequenceLength(QByteArrayView bytes);

} // namespace palvorn
