#include "core/plist/PlistDescription.h"

#include "core/model/HexCodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <QDate>

namespace palvorn {

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = PlistValue::Kind;

constexpr char16_t hexDigits[] = u"0123456789abcdef";

// printf's "%0.<precision>g" without the C locale's say in the decimal point.
QString realText(double value, int precision) {
    char buffer[64];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                      std::chars_format::general, precision);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// "2001-01-01 00:00:00 +0000": always UTC, seconds rounded down.
QString dateText(double secondsSince2001) {
    // Beyond about 300 million years the calendar arithmetic would overflow; such a date (or a
    // NaN) shows its raw seconds rather than a wrong day.
    if (!(std::abs(secondsSince2001) <= 1e16))
        return realText(secondsSince2001, 16);
    const auto seconds = qint64(std::floor(secondsSince2001));
    const qint64 days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const qint64 ofDay = seconds - days * 86400;
    const QDate date = QDate(2001, 1, 1).addDays(days);
    // Astronomical years, as the platform's formatter counts them: 1 BC is year 0.
    const int year = date.year() < 0 ? date.year() + 1 : date.year();
    return QString::asprintf("%s%04d-%02d-%02d %02d:%02d:%02d +0000", year < 0 ? "-" : "",
                             std::abs(year), date.month(), date.day(), int(ofDay / 3600),
                             int(ofDay / 60 % 60), int(ofDay % 60));
}

// The text of anything but a container, data or UID, before any quoting.
QString leafText(const PlistValue& value) {
    switch (value.kind()) {
    case Kind::Null:
        return u"<null>"_s;
    case Kind::Boolean:
        return value.toBool() ? u"1"_s : u"0"_s;
    case Kind::Integer:
        return value.isUnsignedInteger() ? QString::number(value.toUnsigned())
                                         : QString::number(value.toInteger());
    case Kind::Real:
        return realText(value.toReal(), value.isSingleReal() ? 7 : 16);
    case Kind::Date:
        return dateText(value.toDate());
    default:
        return value.toString();
    }
}

void appendIndent(QString& out, int level) {
    out.append(QString(level * 4, u' '));
}

// Bare when non-empty and made of ASCII letters and digits only; otherwise quoted, with
// everything outside printable ASCII written as \Uxxxx per UTF-16 unit.
void appendLeaf(QString& out, QStringView text) {
    const bool bare = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && c.isLetterOrNumber();
    });
    if (bare) {
        out.append(text);
        return;
    }
    out.append(u'"');
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        switch (unit) {
        case u'"':
            out.append(u"\\\"");
            break;
        case u'\\':
            out.append(u"\\\\");
            break;
        case u'\n':
            out.append(u"\\n");
            break;
        case u'\t':
            out.append(u"\\t");
            break;
        case u'\r':
            out.append(u"\\r");
            break;
        default:
            if (unit >= 0x20 && unit < 0x7F) {
                out.append(c);
            } else {
                const char16_t escaped[] = {u'\\',
                                            u'U',
                                            hexDigits[unit >> 12],
                                            hexDigits[(unit >> 8) & 0xF],
                                            hexDigits[(unit >> 4) & 0xF],
                                            hexDigits[unit & 0xF]};
                out.append(QStringView(escaped, 6));
            }
        }
    }
    out.append(u'"');
}

QString uidText(const PlistValue& value) {
    return u"{value = %1}"_s.arg(value.toUid());
}

bool appendContainer(QString& out, const PlistValue& value, int level, qsizetype limit);

// A value inside a container at the given level. A nested container is laid out one level
// deeper with its own leading indentation, which gives Foundation's double indent after "(" and
// its "key =     (" gap.
bool appendMember(QString& out, const PlistValue& value, int level, qsizetype limit) {
    switch (value.kind()) {
    case Kind::Array:
    case Kind::Dictionary:
        appendIndent(out, level + 1);
        return appendContainer(out, value, level + 1, limit);
    case Kind::Data:
        out.append(HexCodec::grouped(value.toData()));
        break;
    case Kind::Uid:
        out.append(uidText(value));
        break;
    default:
        appendLeaf(out, leafText(value));
    }
    return out.size() <= limit;
}

// Recursion follows the value's nesting, which the readers bound. Stops as soon as the text
// outgrows the limit.
bool appendContainer(QString& out, const PlistValue& value, int level, qsizetype limit) {
    if (value.kind() == Kind::Array) {
        out.append(u"(\n");
        const PlistValue::Array& elements = value.toArray();
        for (qsizetype i = 0; i < elements.size(); ++i) {
            appendIndent(out, level + 1);
            if (!appendMember(out, elements[i], level, limit))
                return false;
            out.append(i + 1 < elements.size() ? u",\n" : u"\n");
        }
        appendIndent(out, level);
        out.append(u')');
        return true;
    }
    out.append(u"{\n");
    for (const auto& [key, member] : value.sortedDictionary()) {
        appendIndent(out, level + 1);
        appendLeaf(out, key);
        out.append(u" = ");
        if (!appendMember(out, member, level, limit))
            return false;
        out.append(u";\n");
    }
    appendIndent(out, level);
    out.append(u'}');
    return true;
}

} // namespace

std::optional<QString> PlistDescription::describe(const PlistValue& value) {
    switch (value.kind()) {
    case Kind::Array:
    case Kind::Dictionary: {
        QString out;
        if (!appendContainer(out, value, 0, maxLength))
            return std::nullopt;
        return out;
    }
    case Kind::Data:
        return HexCodec::grouped(value.toData());
    case Kind::Uid:
        return uidText(value);
    default:
        return leafText(value);
    }
}

QString PlistDescription::describeCut(const PlistValue& value, qsizetype limit, bool* cut) {
    limit = std::min(limit, maxLength);
    QString out;
    if (value.kind() == Kind::Array || value.kind() == Kind::Dictionary) {
        *cut = !appendContainer(out, value, 0, limit);
    } else {
        out = *describe(value);
        *cut = out.size() > limit;
    }
    // A member may have run past the limit before the check; the text never does.
    if (*cut)
        out.truncate(limit);
    return out;
}

} // namespace palvorn
