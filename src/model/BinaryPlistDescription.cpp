#include "model/BinaryPlistDescription.h"

#include "model/plist/PlistDescription.h"
#include "model/plist/PropertyListSerialization.h"

namespace palvorn {

QString describeBinaryPlist(QByteArrayView value) {
    const std::optional<PlistValue> root = PropertyListSerialization::readBinary(value);
    if (!root)
        return QStringLiteral("Not a binary Plist\n");

    // A description too large to show counts as a refused input.
    const auto described = [&](const char* className) {
        const std::optional<QString> text = PlistDescription::describe(*root);
        return text ? QStringLiteral("Binary Plist %1:\n").arg(QLatin1StringView(className)) + *text
                    : QStringLiteral("Not a binary Plist\n");
    };
    switch (root->kind()) {
    case PlistValue::Kind::Array:
        return described("NSArray");
    case PlistValue::Kind::Dictionary:
        return described("NSDictionary");
    case PlistValue::Kind::String:
        return QStringLiteral("Binary Plist NSString:\n") + root->toString();
    case PlistValue::Kind::Date:
        return described("NSDate");
    case PlistValue::Kind::Data:
        return described("NSData");
    case PlistValue::Kind::Integer:
    case PlistValue::Kind::Real:
    case PlistValue::Kind::Boolean:
        return described("NSNumber");
    case PlistValue::Kind::Uid:
    case PlistValue::Kind::Null:
        break;
    }
    return QStringLiteral("Binary Plist format not known.\n");
}

} // namespace palvorn
