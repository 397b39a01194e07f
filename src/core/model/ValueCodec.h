#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace palvorn {

// The encodings in which an attribute's value is shown and typed.
enum class ValueEncoding { Text, PropertyList, Hex, Base64 };

// One codec per encoding behind one interface, chosen by of(): bytes to text, and text back to
// the bytes or a refusal saying why. Where the places that read an encoding have always accepted
// different texts, each place's syntax is an option of the one codec rather than a parser of its
// own:
//   Editor        what a person sees and types: the editor, palvorn-cli get and set, the
//                 renderings (hex as "<48656c6c 6f>", text as UTF-8, a property list as XML)
//   Dump          getfattr's value forms: "0x" hex, "0s" base64, quoted text with octal escapes
//   PropertyList  data inside a property list's text: old-style "<hex>", XML's base64
// An encoding without a syntax of its own in a place takes its Editor one.
//
// Texts as bytes are UTF-8, except the dump's, which are its bytes as they stand in the dump
// (and, as a QString, those bytes as Latin-1 characters).
class ValueCodec {
public:
    enum class Syntax { Editor, Dump, PropertyList };

    // The value, or why the text is not in this encoding.
    using Decoded = Result<QByteArray>;
    // Why a text is not in an encoding: an error that is its text alone.
    static tl::unexpected<Error> refused(QString reason) {
        return failure(Error({}, std::move(reason), {}));
    }

    virtual ~ValueCodec() = default;

    // The codec of an encoding in a syntax; it lives as long as the program.
    static const ValueCodec& of(ValueEncoding encoding, Syntax syntax = Syntax::Editor);

    virtual QString encode(QByteArrayView bytes) const = 0;
    virtual void appendEncoded(QByteArray& out, QByteArrayView bytes) const = 0;
    virtual Decoded decode(QStringView text) const = 0;
    virtual Decoded decode(QByteArrayView text) const = 0;
};

} // namespace palvorn
