#pragma once

#include <memory>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QString>

namespace palvorn {

// One node of a property list. Values are immutable once built and cheap to copy: data, strings
// and containers live in one shared block, so a subtree referenced from many places in a binary
// plist is stored once however often it is reached.
class PlistValue {
public:
    enum class Kind { Null, Boolean, Integer, Real, Date, Data, String, Uid, Array, Dictionary };
    using Array = QList<PlistValue>;
    // Entries in the order they were read or built; keys are unique.
    using Dictionary = QList<std::pair<QString, PlistValue>>;

    PlistValue() = default; // Null

    static PlistValue boolean(bool value);
    static PlistValue integer(qint64 value);
    // Values up to INT64_MAX give the same value as integer(); larger ones stay unsigned so that
    // writers print and encode them as such.
    static PlistValue unsignedInteger(quint64 value);
    static PlistValue real(double value);
    // A real that was stored in single precision: kept apart because writers encode it as such
    // and descriptions print it with fewer digits.
    static PlistValue singleReal(float value);
    static PlistValue date(double secondsSince2001);
    static PlistValue data(QByteArray bytes);
    static PlistValue string(QString text);
    static PlistValue uid(quint64 value);
    static PlistValue array(Array elements);
    // A repeated key keeps its first position and takes its last value.
    static PlistValue dictionary(Dictionary entries);

    Kind kind() const { return m_kind; }

    // Each accessor returns its own kind's value, and false, zero or empty for any other kind.
    bool toBool() const;
    qint64 toInteger() const; // unsigned values above INT64_MAX wrap, use toUnsigned()
    quint64 toUnsigned() const;
    bool isUnsignedInteger() const { return m_kind == Kind::Integer && m_flag; }
    double toReal() const;
    bool isSingleReal() const { return m_kind == Kind::Real && m_flag; }
    double toDate() const; // seconds since 2001-01-01 00:00:00 UTC
    const QByteArray& toData() const;
    QString toString() const;
    quint64 toUid() const;
    const Array& toArray() const;
    const Dictionary& toDictionary() const;

    // Dictionary entries ordered by key in UTF-16 code-unit order, the order writers emit.
    Dictionary sortedDictionary() const;
    // nullptr when the key is absent or this is not a dictionary.
    const PlistValue* find(const QString& key) const;

    // Deep and kind-sensitive; dictionaries compare as unordered, since writers may reorder
    // them. Reals and dates compare equal when numerically equal or both NaN, so NaN
    // equals itself and values survive round-trip comparisons.
    friend bool operator==(const PlistValue& lhs, const PlistValue& rhs);

private:
    struct Shared; // the payload of data, strings and containers

    PlistValue(Kind kind, quint64 bits, bool flag = false);
    PlistValue(Kind kind, std::shared_ptr<const Shared> shared);
    const Shared& shared() const;

    Kind m_kind = Kind::Null;
    bool m_flag = false; // Integer: unsigned above INT64_MAX; Real: single precision
    quint64 m_bits = 0;  // booleans, integers and UIDs; reals and dates as their bit pattern
    std::shared_ptr<const Shared> m_shared;
};

} // namespace palvorn
