#include "core/model/ValueCodec.h"

#include "core/model/Base64Codec.h"
#include "core/model/HexCodec.h"
#include "core/model/PropertyListCodec.h"
#include "core/model/TextCodec.h"

namespace palvorn {

const ValueCodec& ValueCodec::of(ValueEncoding encoding, Syntax syntax) {
    // Codecs hold nothing but their syntax: one of each, shared by every thread.
    static const TextCodec text[] = {TextCodec(Syntax::Editor), TextCodec(Syntax::Dump),
                                     TextCodec(Syntax::PropertyList)};
    static const HexCodec hex[] = {HexCodec(Syntax::Editor), HexCodec(Syntax::Dump),
                                   HexCodec(Syntax::PropertyList)};
    static const Base64Codec base64[] = {Base64Codec(Syntax::Editor), Base64Codec(Syntax::Dump),
                                         Base64Codec(Syntax::PropertyList)};
    static const PropertyListCodec propertyList;
    const auto at = static_cast<std::size_t>(syntax);
    switch (encoding) {
    case ValueEncoding::Text:
        return text[at];
    case ValueEncoding::Hex:
        return hex[at];
    case ValueEncoding::Base64:
        return base64[at];
    case ValueEncoding::PropertyList:
        break;
    }
    return propertyList;
}

} // namespace palvorn
