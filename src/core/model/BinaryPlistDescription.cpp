#include "core/model/BinaryPlistDescription.h"

#include "core/model/DisplayText.h"
#include "core/plist/PlistDescription.h"
#include "core/plist/PropertyListSerialization.h"

namespace palvorn {

QString describeBinaryPlist(QByteArrayView value) {
    const std::optional<PlistValue> root = PropertyListSerialization::readBinary(value);
    if (!root)
        return QStringLiteral("Not a binary Plist\n");

    // A few hundred bytes of shared references can describe to tens of megabytes: the text is
    // kept in proportion to the value (describedLimit) and a cut one says so at its end.
    const auto described = [&](const char* className) {
        bool cut = false;
        QString text = QStringLiteral("Binary Plist %1:\n").arg(QLatin1StringView(className)) +
                       PlistDescription::describeCut(*root, describedLimit(value.size()), &cut);
        if (cut)
            text += QStringLiteral("\n… (description cut after %1 characters)\n")
                        .arg(describedLimit(value.size()));
        return text;
    };
    switch (root->kind()) {
    case PlistValue::Kind::Array:
        return described("NSArray");
    case PlistValue::Kind::Dictionary:
        return described("NSDictionary");
    case PlistValue::Kind::String:
        // The string itself, as a value's text is shown; the other kinds' texts escape theirs.
        return QStringLiteral("Binary Plist NSString:\n") + DisplayText::value(root->toString());
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
