#include "core/plist/PlistValue.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include <QHash>

namespace palvorn {

// One heap block per data, string or container value, so that PlistValue itself stays small and
// every copy only shares it.
struct PlistValue::Shared {
    QByteArray data;
    QString text;
    Array array;
    Dictionary dictionary;
};

PlistValue::PlistValue(Kind kind, quint64 bits, bool flag)
    : m_kind(kind), m_flag(flag), m_bits(bits) {}

PlistValue::PlistValue(Kind kind, std::shared_ptr<const Shared> shared)
    : m_kind(kind), m_shared(std::move(shared)) {}

const PlistValue::Shared& PlistValue::shared() const {
    static const Shared empty;
    return m_shared ? *m_shared : empty;
}

PlistValue PlistValue::boolean(bool value) {
    return PlistValue(Kind::Boolean, value ? 1 : 0);
}

PlistValue PlistValue::integer(qint64 value) {
    return PlistValue(Kind::Integer, static_cast<quint64>(value));
}

PlistValue PlistValue::unsignedInteger(quint64 value) {
    const bool aboveSigned = value > quint64(std::numeric_limits<qint64>::max());
    return PlistValue(Kind::Integer, value, aboveSigned);
}

PlistValue PlistValue::real(double value) {
    return PlistValue(Kind::Real, std::bit_cast<quint64>(value));
}

PlistValue PlistValue::singleReal(float value) {
    return PlistValue(Kind::Real, std::bit_cast<quint64>(double(value)), true);
}

PlistValue PlistValue::date(double secondsSince2001) {
    return PlistValue(Kind::Date, std::bit_cast<quint64>(secondsSince2001));
}

PlistValue PlistValue::data(QByteArray bytes) {
    auto shared = std::make_shared<Shared>();
    shared->data = std::move(bytes);
    return PlistValue(Kind::Data, std::move(shared));
}

PlistValue PlistValue::string(QString text) {
    auto shared = std::make_shared<Shared>();
    shared->text = std::move(text);
    return PlistValue(Kind::String, std::move(shared));
}

PlistValue PlistValue::uid(quint64 value) {
    return PlistValue(Kind::Uid, value);
}

PlistValue PlistValue::array(Array elements) {
    auto shared = std::make_shared<Shared>();
    shared->array = std::move(elements);
    return PlistValue(Kind::Array, std::move(shared));
}

PlistValue PlistValue::dictionary(Dictionary entries) {
    QHash<QString, qsizetype> positions;
    Dictionary unique;
    unique.reserve(entries.size());
    for (auto& entry : entries) {
        const auto known = positions.constFind(entry.first);
        if (known != positions.cend()) {
            unique[*known].second = std::move(entry.second);
        } else {
            positions.insert(entry.first, unique.size());
            unique.append(std::move(entry));
        }
    }
    auto shared = std::make_shared<Shared>();
    shared->dictionary = std::move(unique);
    return PlistValue(Kind::Dictionary, std::move(shared));
}

bool PlistValue::toBool() const {
    return m_kind == Kind::Boolean && m_bits != 0;
}

qint64 PlistValue::toInteger() const {
    return static_cast<qint64>(toUnsigned());
}

quint64 PlistValue::toUnsigned() const {
    return m_kind == Kind::Integer ? m_bits : 0;
}

double PlistValue::toReal() const {
    return m_kind == Kind::Real ? std::bit_cast<double>(m_bits) : 0.0;
}

double PlistValue::toDate() const {
    return m_kind == Kind::Date ? std::bit_cast<double>(m_bits) : 0.0;
}

const QByteArray& PlistValue::toData() const {
    return shared().data;
}

QString PlistValue::toString() const {
    return shared().text;
}

quint64 PlistValue::toUid() const {
    return m_kind == Kind::Uid ? m_bits : 0;
}

const PlistValue::Array& PlistValue::toArray() const {
    return shared().array;
}

const PlistValue::Dictionary& PlistValue::toDictionary() const {
    return shared().dictionary;
}

PlistValue::Dictionary PlistValue::sortedDictionary() const {
    // Sorts positions rather than the entries themselves, which are costlier to move.
    const Dictionary& entries = toDictionary();
    std::vector<qsizetype> order(size_t(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&entries](qsizetype lhs, qsizetype rhs) {
        return entries[lhs].first < entries[rhs].first;
    });
    Dictionary sorted;
    sorted.reserve(entries.size());
    for (qsizetype position : order)
        sorted.append(entries[position]);
    return sorted;
}

const PlistValue* PlistValue::find(const QString& key) const {
    const Dictionary& entries = toDictionary();
    const auto match = std::find_if(entries.cbegin(), entries.cend(),
                                    [&key](const auto& entry) { return entry.first == key; });
    return match != entries.cend() ? &match->second : nullptr;
}

bool operator==(const PlistValue& lhs, const PlistValue& rhs) {
    using Kind = PlistValue::Kind;
    if (lhs.m_kind != rhs.m_kind || lhs.m_flag != rhs.m_flag)
        return false;
    if (lhs.m_bits == rhs.m_bits && lhs.m_shared == rhs.m_shared)
        return true;
    switch (lhs.m_kind) {
    case Kind::Real:
    case Kind::Date: {
        // A NaN's payload is not part of its value: the text forms all read back one quiet NaN.
        const double left = std::bit_cast<double>(lhs.m_bits);
        const double right = std::bit_cast<double>(rhs.m_bits);
        return left == right || (std::isnan(left) && std::isnan(right));
    }
    case Kind::Data:
        return lhs.toData() == rhs.toData();
    case Kind::String:
        return lhs.toString() == rhs.toString();
    case Kind::Array:
        return lhs.toArray() == rhs.toArray();
    case Kind::Dictionary:
        return lhs.toDictionary().size() == rhs.toDictionary().size() &&
               lhs.sortedDictionary() == rhs.sortedDictionary();
    default: // the bits differ
        return false;
    }
}

} // namespace palvorn
