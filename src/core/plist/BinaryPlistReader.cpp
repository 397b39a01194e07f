#include "core/plist/BinaryPlistReader.h"

#include "core/model/TextDecoding.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

#include <QtEndian>

namespace palvorn {

namespace {

constexpr qint64 headerSize = 8;
constexpr qint64 trailerSize = 32;
constexpr quint64 signedMax = quint64(std::numeric_limits<qint64>::max());

// Big-endian unsigned integer of any width. Wider than eight bytes only the low 64 bits survive,
// as in Apple's reader; the callers range-check the result.
quint64 readSized(const uchar* bytes, qint64 size) {
    quint64 value = 0;
    for (qint64 i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// Whether value < 2^(8 * size).
bool fitsInBytes(quint64 value, qint64 size) {
    return size >= 8 || value >> (8 * size) == 0;
}

// What is remembered of an object once read, so that a shared object costs nothing the second
// time it is reached while still counting fully towards the expanded size and depth.
struct Extent {
    qint64 nodes = 1; // the object and everything below it, shared references expanded
    int height = 0;   // levels below the object
};

class Parser {
public:
    explicit Parser(QByteArrayView bytes)
        : m_data(reinterpret_cast<const uchar*>(bytes.data())), m_size(bytes.size()) {}

    std::optional<PlistValue> run() {
        if (!readTrailer())
            return std::nullopt;
        m_slots.resize(m_numObjects);
        Extent extent;
        return object(m_topObject, 0, extent);
    }

private:
    enum class State : quint8 { Unread, Reading, Read };
    struct Slot {
        State state = State::Unread;
        Extent extent;
        PlistValue value;
    };

    bool readTrailer();
    std::optional<PlistValue> object(quint64 index, int depth, Extent& extent);
    std::optional<PlistValue> parseAt(qint64 offset, int depth, Extent& extent);
    std::optional<PlistValue> parseScalar(quint8 marker, qint64 pos);
    std::optional<PlistValue> parseCollection(quint8 marker, qint64 pos, int depth, Extent& extent);
    bool readCount(quint8 marker, qint64& pos, qint64& count) const;

    // Whether count items of width bytes starting at pos end inside the object area.
    bool fits(qint64 pos, qint64 count, qint64 width) const {
        return pos <= m_objectEnd && count <= (m_objectEnd - pos) / width;
    }
    qint64 offsetOf(quint64 index) const {
        return qint64(readSized(m_data + m_objectEnd + qint64(index) * m_offsetSize, m_offsetSize));
    }
    quint64 refAt(qint64 pos, qint64 i) const {
        return readSized(m_data + pos + i * m_refSize, m_refSize);
    }

    const uchar* m_data;
    qint64 m_size;
    qint64 m_offsetSize = 0;
    qint64 m_refSize = 0;
    quint64 m_numObjects = 0;
    quint64 m_topObject = 0;
    qint64 m_objectEnd = 0; // where the offset table starts
    std::vector<Slot> m_slots;
};

bool Parser::readTrailer() {
    if (m_size < headerSize + 1 + trailerSize)
        return false;
    if (QByteArrayView(m_data, headerSize) != QByteArrayView("bplist00"))
        return false;
    const uchar* trailer = m_data + m_size - trailerSize;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    m_numObjects = qFromBigEndian<quint64>(trailer + 8);
    m_topObject = qFromBigEndian<quint64>(trailer + 16);
    const quint64 tableOffset = qFromBigEndian<quint64>(trailer + 24);

    if (m_numObjects < 1 || m_numObjects > signedMax || m_topObject >= m_numObjects)
        return false;
    if (tableOffset < headerSize + 1 || tableOffset >= quint64(m_size - trailerSize))
        return false;
    if (m_offsetSize < 1 || m_refSize < 1)
        return false;
    m_objectEnd = qint64(tableOffset);
    // The offset table fills the space up to the trailer exactly: no slack, no overlap.
    const qint64 tableSize = m_size - trailerSize - m_objectEnd;
    if (tableSize % m_offsetSize != 0 || quint64(tableSize / m_offsetSize) != m_numObjects)
        return false;
    if (!fitsInBytes(m_numObjects, m_refSize) || !fitsInBytes(tableOffset, m_offsetSize))
        return false;
    for (quint64 i = 0; i < m_numObjects; ++i) {
        if (quint64(offsetOf(i)) >= tableOffset)
            return false;
    }
    return offsetOf(m_topObject) >= headerSize;
}

std::optional<PlistValue> Parser::object(quint64 index, int depth, Extent& extent) {
    if (index >= m_numObjects)
        return std::nullopt;
    Slot& slot = m_slots[index];
    switch (slot.state) {
    case State::Reading: // on the current path: a cycle
        return std::nullopt;
    case State::Read:
        if (depth + slot.extent.height > BinaryPlistReader::maxDepth)
            return std::nullopt;
        extent = slot.extent;
        return slot.value;
    case State::Unread:
        break;
    }
    if (depth > BinaryPlistReader::maxDepth)
        return std::nullopt;
    slot.state = State::Reading;
    std::optional<PlistValue> value = parseAt(offsetOf(index), depth, extent);
    if (value) {
        // m_slots never grows during the parse, so the reference is still valid.
        slot = {State::Read, extent, *value};
    }
    return value;
}

std::optional<PlistValue> Parser::parseAt(qint64 offset, int depth, Extent& extent) {
    const quint8 marker = m_data[offset];
    const qint64 pos = offset + 1;
    extent = Extent();
    switch (marker >> 4) {
    case 0xA:
    case 0xD:
        return parseCollection(marker, pos, depth, extent);
    default:
        return parseScalar(marker, pos);
    }
}

std::optional<PlistValue> Parser::parseScalar(quint8 marker, qint64 pos) {
    const int info = marker & 0x0F;
    const uchar* bytes = m_data + pos;
    qint64 count = 0;
    switch (marker >> 4) {
    case 0x0:
        if (marker == 0x00)
            return PlistValue();
        if (marker == 0x08 || marker == 0x09)
            return PlistValue::boolean(marker == 0x09);
        return std::nullopt;
    case 0x1: {
        if (info > 4 || !fits(pos, qint64(1) << info, 1))
            return std::nullopt;
        const qint64 size = qint64(1) << info;
        const quint64 value = readSized(bytes, size);
        if (size == 16) {
            // 128-bit, of which only the low 64 bits are kept; a zero high half marks the
            // unsigned values beyond INT64_MAX.
            return readSized(bytes, 8) == 0 ? PlistValue::unsignedInteger(value)
                                            : PlistValue::integer(qint64(value));
        }
        return size == 8 ? PlistValue::integer(qint64(value)) : PlistValue::unsignedInteger(value);
    }
    case 0x2:
        if (marker == 0x22 && fits(pos, 4, 1))
            return PlistValue::singleReal(std::bit_cast<float>(qFromBigEndian<quint32>(bytes)));
        if (marker == 0x23 && fits(pos, 8, 1))
            return PlistValue::real(std::bit_cast<double>(qFromBigEndian<quint64>(bytes)));
        return std::nullopt;
    case 0x3:
        if (marker == 0x33 && fits(pos, 8, 1))
            return PlistValue::date(std::bit_cast<double>(qFromBigEndian<quint64>(bytes)));
        return std::nullopt;
    case 0x4:
        if (!readCount(marker, pos, count) || !fits(pos, count, 1))
            return std::nullopt;
        return PlistValue::data(QByteArray(reinterpret_cast<const char*>(m_data + pos), count));
    case 0x5: {
        if (!readCount(marker, pos, count) || !fits(pos, count, 1))
            return std::nullopt;
        std::optional<QString> text = decodeAscii(QByteArrayView(m_data + pos, count));
        return text ? std::optional(PlistValue::string(*text)) : std::nullopt;
    }
    case 0x6: {
        if (!readCount(marker, pos, count) || !fits(pos, count, 2))
            return std::nullopt;
        // Any code unit is kept as it is, NUL and lone surrogates included.
        QString text(count, Qt::Uninitialized);
        qFromBigEndian<char16_t>(m_data + pos, count, text.data());
        return PlistValue::string(text);
    }
    case 0x8: {
        const qint64 size = info + 1;
        if (!fits(pos, size, 1))
            return std::nullopt;
        const qint64 high = std::max<qint64>(size - 4, 0);
        if (std::any_of(bytes, bytes + high, [](uchar byte) { return byte != 0; }))
            return std::nullopt; // above UINT32_MAX
        return PlistValue::uid(readSized(bytes + high, size - high));
    }
    default: // sets, UTF-8 strings and the markers bplist00 does not define
        return std::nullopt;
    }
}

std::optional<PlistValue> Parser::parseCollection(quint8 marker, qint64 pos, int depth,
                                                  Extent& extent) {
    const bool isDictionary = (marker >> 4) == 0xD;
    qint64 count = 0;
    if (!readCount(marker, pos, count) || !fits(pos, count, m_refSize * (isDictionary ? 2 : 1)))
        return std::nullopt;
    // Each reference is at least one node, so the size limit caps what is allocated below.
    if (count * (isDictionary ? 2 : 1) >= BinaryPlistReader::maxExpandedNodes)
        return std::nullopt;

    const auto child = [&](quint64 ref) -> std::optional<PlistValue> {
        Extent inner;
        std::optional<PlistValue> value = object(ref, depth + 1, inner);
        if (!value)
            return std::nullopt;
        extent.nodes += inner.nodes;
        extent.height = std::max(extent.height, inner.height + 1);
        if (extent.nodes > BinaryPlistReader::maxExpandedNodes)
            return std::nullopt;
        return value;
    };

    if (!isDictionary) {
        PlistValue::Array elements;
        elements.reserve(count);
        for (qint64 i = 0; i < count; ++i) {
            std::optional<PlistValue> element = child(refAt(pos, i));
            if (!element)
                return std::nullopt;
            elements.append(std::move(*element));
        }
        return PlistValue::array(std::move(elements));
    }

    PlistValue::Dictionary entries;
    entries.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        std::optional<PlistValue> key = child(refAt(pos, i));
        if (!key || key->kind() != PlistValue::Kind::String)
            return std::nullopt;
        std::optional<PlistValue> value = child(refAt(pos, count + i));
        if (!value)
            return std::nullopt;
        entries.append({key->toString(), std::move(*value)});
    }
    return PlistValue::dictionary(std::move(entries));
}

// The count of a data, string or collection object: in the marker's low nibble, or when that is
// 0xF in an integer object that follows it.
bool Parser::readCount(quint8 marker, qint64& pos, qint64& count) const {
    if ((marker & 0x0F) != 0x0F) {
        count = marker & 0x0F;
        return true;
    }
    if (!fits(pos, 1, 1) || (m_data[pos] >> 4) != 0x1 || (m_data[pos] & 0x0F) > 4)
        return false;
    const qint64 size = qint64(1) << (m_data[pos] & 0x0F);
    if (!fits(pos + 1, size, 1))
        return false;
    const quint64 value = readSized(m_data + pos + 1, size);
    if (value > signedMax)
        return false;
    count = qint64(value);
    pos += 1 + size;
    return true;
}

} // namespace

std::optional<PlistValue> BinaryPlistReader::read(QByteArrayView bytes) {
    return Parser(bytes).run();
}

} // namespace palvorn
