#pragma once

#include "core/model/ValueCodec.h"

namespace palvorn {

// A property list's bytes (binary, XML or old-style) as the editor shows them: its XML form.
// Bytes that are no property list are shown as their UTF-8 text, to be edited into one, or else
// as their hex text. Text reads back when it parses as a property list (XML or old-style), and
// is written in the binary format. One syntax: property lists appear nowhere else as text.
class PropertyListCodec final : public ValueCodec {
public:
    // The XML text of a property list's bytes; none for bytes that are not one.
    static std::optional<QString> xmlText(QByteArrayView bytes);

    QString encode(QByteArrayView bytes) const override;
    void appendEncoded(QByteArray& out, QByteArrayView bytes) const override;
    Decoded decode(QStringView text) const override;
    Decoded decode(QByteArrayView text) const override;
};

} // namespace palvorn
