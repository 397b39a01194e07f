#pragma once

#include "core/plist/PlistValue.h"
#include "core/plist/PropertyListSerialization.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: whatever a reader accepts must survive being written as XML and as
// binary and read back, so that wrong results are caught and not only crashes.
namespace fuzzing {

using palvorn::PlistValue;
using palvorn::PropertyListSerialization;

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "round trip failed: %s\n", what);
    std::abort();
}

// What the XML form keeps of a value: dates to the whole second, single-precision reals as
// plain reals, and a dictionary holding only an integer under "CF$UID" comes back as a UID, as on
// the platform.
inline PlistValue asXmlKeepsIt(const PlistValue& value) {
    switch (value.kind()) {
    case PlistValue::Kind::Real:
        return PlistValue::real(value.toReal());
    case PlistValue::Kind::Date:
        return PlistValue::date(std::floor(value.toDate()));
    case PlistValue::Kind::Array: {
        PlistValue::Array elements;
        for (const PlistValue& element : value.toArray())
            elements.append(asXmlKeepsIt(element));
        return PlistValue::array(elements);
    }
    case PlistValue::Kind::Dictionary: {
        const PlistValue::Dictionary& entries = value.toDictionary();
        if (entries.size() == 1 && entries.front().first == u"CF$UID" &&
            entries.front().second.kind() == PlistValue::Kind::Integer &&
            !entries.front().second.isUnsignedInteger() &&
            entries.front().second.toInteger() >= 0 &&
            entries.front().second.toInteger() <= 0xFFFFFFFF)
            return PlistValue::uid(quint64(entries.front().second.toInteger()));
        PlistValue::Dictionary kept;
        for (const auto& [key, element] : entries)
            kept.append({key, asXmlKeepsIt(element)});
        return PlistValue::dictionary(kept);
    }
    default:
        return value;
    }
}

inline void checkRoundTrips(const PlistValue& value) {
    if (const auto binary =
            PropertyListSerialization::write(value, PropertyListSerialization::Format::Binary)) {
        const auto back = PropertyListSerialization::readBinary(*binary);
        if (!back || !(*back == value))
            fail("binary");
    }
    if (const auto xml =
            PropertyListSerialization::write(value, PropertyListSerialization::Format::Xml)) {
        const auto back = PropertyListSerialization::read(*xml);
        if (!back || back->format != PropertyListSerialization::Format::Xml ||
            !(back->value == asXmlKeepsIt(value)))
            fail("xml");
    }
}

} // namespace fuzzing
