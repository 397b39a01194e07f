#pragma once

#include "core/model/Error.h"
#include "core/model/ValueCodec.h"

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace palvorn {

// The attribute editor's formats and how its text turns back into bytes. A text that does not
// convert is refused with the reason, never turned into an empty value: saving it would wipe the
// attribute.
class EditorConversion {
public:
    // Structure: the fifth entry, offered for a name that promises a structure the editor edits
    // (an access control list, file capabilities, a security label).
    enum Format { PlainText = 0, PropertyList = 1, HexText = 2, NotSupported = 3, Structure = 4 };

    // Why nothing was saved, from a refusal of bytesFor or hexBytes, whose reason says why
    // without its consequence ("The text is not a property list").
    static QString problemOf(const Error& refusal);

    // "Plain text", "Property list", "Hex text", "Not supported", in pop-up order, and for a
    // name with a structure to edit that structure's entry ("Access control list").
    static QStringList formatList(QByteArrayView structureName = {});
    // The content type a record gets when saved in, or switched to, a format.
    static qint64 typeOfFormat(int format);
    // The format a record of the given type opens in.
    static int formatOfType(qint64 type);

    // The codec a format other than Structure reads and writes with (ValueCodec's Editor
    // syntax).
    static ValueEncoding encodingOfFormat(int format);

    // structureName: the attribute whose structure the Structure format stands for.
    static Result<QByteArray> bytesFor(int format, const QString& text,
                                       QByteArrayView structureName = {});
    // The text the editor shows for bytes in a format; what bytesFor reads back.
    static QString textFor(int format, const QByteArray& bytes, QByteArrayView structureName = {});
    // Asked before a change of format throws away a text that does not convert.
    static QString discardQuestion(int from, int to, const Error& refusal,
                                   QByteArrayView structureName = {});

    // palvorn-cli's words for the formats: text, plist, hex, and the structure's own word
    // ("acl", "caps", "label") for a name that has one.
    static std::optional<int> formatOfWord(const QString& word, QByteArrayView name);
    static QString formatWords(QByteArrayView name);

    // The hex codec's reading (HexCodec.h).
    static Result<QByteArray> hexBytes(const QString& text);
};

} // namespace palvorn
