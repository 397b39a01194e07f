#include "core/plist/BinaryPlistWriter.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

#include <QHash>
#include <QtEndian>

namespace palvorn {

namespace {

using Kind = PlistValue::Kind;

// The smallest of the widths readers accept (1, 2, 4 or 8 bytes) that holds values below limit,
// as a reader demands that 2^(8 * width) exceed the object count and the offset table's offset.
int widthBelow(quint64 limit) {
    for (int width : {1, 2, 4})
        if (limit >> (8 * width) == 0)
            return width;
    return 8;
}

void appendBigEndian(QByteArray& out, quint64 value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        out.append(static_cast<char>(value >> shift));
}

void appendUnsigned(QByteArray& out, quint64 value) {
    const int width = value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFF ? 4 : 8;
    out.append(static_cast<char>(0x10 | std::countr_zero(unsigned(width))));
    appendBigEndian(out, value, width);
}

// Marker with the count in its low nibble, or 0xF and the count as an integer object after it.
void appendHeader(QByteArray& out, int type, qsizetype count) {
    if (count < 0xF) {
        out.append(static_cast<char>(type << 4 | int(count)));
    } else {
        out.append(static_cast<char>(type << 4 | 0xF));
        appendUnsigned(out, quint64(count));
    }
}

bool isAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar unit) { return unit.unicode() < 0x80; });
}

class Encoder {
public:
    std::optional<QByteArray> run(const PlistValue& root) {
        if (!flatten(root))
            return std::nullopt;
        const quint64 numObjects = m_objects.size();
        m_refSize = widthBelow(numObjects);

        QByteArray out("bplist00");
        std::vector<quint64> offsets;
        offsets.reserve(m_objects.size());
        for (const Object& object : m_objects) {
            offsets.push_back(quint64(out.size()));
            encode(out, object);
        }
        const quint64 tableOffset = quint64(out.size());
        const int offsetSize = widthBelow(tableOffset);
        for (quint64 offset : offsets)
            appendBigEndian(out, offset, offsetSize);

        out.append(6, '\0'); // unused bytes and the sort version
        out.append(static_cast<char>(offsetSize));
        out.append(static_cast<char>(m_refSize));
        appendBigEndian(out, numObjects, 8);
        appendBigEndian(out, 0, 8); // the root is object 0
        appendBigEndian(out, tableOffset, 8);
        return out;
    }

private:
    struct Object {
        PlistValue value;
        QList<quint64> refs; // of a collection: elements, or keys followed by values
    };

    std::optional<quint64> flatten(const PlistValue& value);
    void encode(QByteArray& out, const Object& object) const;

    std::vector<Object> m_objects;
    QHash<QString, quint64> m_strings; // equal strings and keys share one object
    int m_refSize = 1;
};

// Numbers the objects root first, each collection before its members.
std::optional<quint64> Encoder::flatten(const PlistValue& value) {
    switch (value.kind()) {
    case Kind::Null:
        return std::nullopt;
    case Kind::Uid:
        if (value.toUid() > std::numeric_limits<quint32>::max())
            return std::nullopt;
        break;
    case Kind::String:
        if (const auto known = m_strings.constFind(value.toString()); known != m_strings.cend())
            return *known;
        m_strings.insert(value.toString(), m_objects.size());
        break;
    default:
        break;
    }

    const quint64 index = m_objects.size();
    m_objects.push_back({value, {}});
    QList<quint64> refs;
    const auto add = [&refs, this](const PlistValue& member) {
        const std::optional<quint64> ref = flatten(member);
        if (ref)
            refs.append(*ref);
        return ref.has_value();
    };
    if (value.kind() == Kind::Array) {
        for (const PlistValue& element : value.toArray())
            if (!add(element))
                return std::nullopt;
    } else if (value.kind() == Kind::Dictionary) {
        for (const auto& entry : value.toDictionary())
            if (!add(PlistValue::string(entry.first)))
                return std::nullopt;
        for (const auto& entry : value.toDictionary())
            if (!add(entry.second))
                return std::nullopt;
    }
    m_objects[index].refs = std::move(refs);
    return index;
}

void Encoder::encode(QByteArray& out, const Object& object) const {
    const PlistValue& value = object.value;
    switch (value.kind()) {
    case Kind::Null: // refused while flattening
        break;
    case Kind::Boolean:
        out.append(value.toBool() ? '\x09' : '\x08');
        break;
    case Kind::Integer:
        if (value.isUnsignedInteger()) {
            out.append('\x14');
            appendBigEndian(out, 0, 8);
            appendBigEndian(out, value.toUnsigned(), 8);
        } else if (value.toInteger() < 0) {
            out.append('\x13');
            appendBigEndian(out, value.toUnsigned(), 8);
        } else {
            appendUnsigned(out, value.toUnsigned());
        }
        break;
    case Kind::Real:
        if (value.isSingleReal()) {
            out.append('\x22');
            appendBigEndian(out, std::bit_cast<quint32>(float(value.toReal())), 4);
        } else {
            out.append('\x23');
            appendBigEndian(out, std::bit_cast<quint64>(value.toReal()), 8);
        }
        break;
    case Kind::Date:
        out.append('\x33');
        appendBigEndian(out, std::bit_cast<quint64>(value.toDate()), 8);
        break;
    case Kind::Data:
        appendHeader(out, 0x4, value.toData().size());
        out.append(value.toData());
        break;
    case Kind::String: {
        const QString text = value.toString();
        if (isAscii(text)) {
            appendHeader(out, 0x5, text.size());
            out.append(text.toLatin1());
        } else {
            appendHeader(out, 0x6, text.size());
            QByteArray units(text.size() * 2, Qt::Uninitialized);
            qToBigEndian<char16_t>(text.utf16(), text.size(), units.data());
            out.append(units);
        }
        break;
    }
    case Kind::Uid: {
        const quint64 uid = value.toUid();
        const int width = uid <= 0xFF ? 1 : uid <= 0xFFFF ? 2 : 4;
        out.append(static_cast<char>(0x80 | (width - 1)));
        appendBigEndian(out, uid, width);
        break;
    }
    case Kind::Array:
    case Kind::Dictionary: {
        const bool isArray = value.kind() == Kind::Array;
        appendHeader(out, isArray ? 0xA : 0xD,
                     isArray ? object.refs.size() : object.refs.size() / 2);
        for (quint64 ref : object.refs)
            appendBigEndian(out, ref, m_refSize);
        break;
    }
    }
}

} // namespace

std::optional<QByteArray> BinaryPlistWriter::write(const PlistValue& root) {
    return Encoder().run(root);
}

} // namespace palvorn
