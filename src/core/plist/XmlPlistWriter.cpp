#include "core/plist/XmlPlistWriter.h"

#include "core/model/ValueCodec.h"
#include "core/plist/BinaryPlistReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <QDate>

namespace palvorn {

namespace {

using Kind = PlistValue::Kind;

constexpr QByteArrayView header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                  "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                  "<plist version=\"1.0\">\n";
constexpr qint64 secondsPerDay = 86'400;
// Base64 lines stop getting shorter and more indented below this depth.
constexpr int maxDataIndent = 8;

// Whether XML 1.0 can carry the text: no control characters but tab, line feed and carriage
// return, surrogates only in pairs, and neither U+FFFE nor U+FFFF.
bool isXmlText(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(unit) || unit == 0xFFFE || unit == 0xFFFF)
            return false;
        if (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r')
            return false;
    }
    return true;
}

QByteArray realText(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    if (value == 0)
        return std::signbit(value) ? "-0.0" : "0.0";
    // to_chars rather than printf: the same digits as %.17g, whatever the C locale.
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return QByteArray(buffer, result.ptr - buffer);
}

// Rounded down to the second; std::nullopt outside the years 1 to 9999, which the four-digit
// year of the format cannot hold.
std::optional<QByteArray> dateText(double secondsSince2001) {
    const qint64 epoch = QDate(2001, 1, 1).toJulianDay();
    const double first = double((QDate(1, 1, 1).toJulianDay() - epoch) * secondsPerDay);
    const double last = double((QDate(9999, 12, 31).toJulianDay() + 1 - epoch) * secondsPerDay) - 1;
    const double whole = std::floor(secondsSince2001);
    if (!(whole >= first && whole <= last)) // NaN fails here too
        return std::nullopt;
    const qint64 seconds = static_cast<qint64>(whole);
    const qint64 days = seconds / secondsPerDay - (seconds % secondsPerDay < 0 ? 1 : 0);
    const qint64 time = seconds - days * secondsPerDay;
    const QDate date = QDate::fromJulianDay(epoch + days);
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", date.year(), date.month(),
                             date.day(), int(time / 3600), int(time / 60 % 60), int(time % 60))
        .toLatin1();
}

class Writer {
public:
    std::optional<QByteArray> run(const PlistValue& root) {
        m_out = header.toByteArray();
        if (!writeValue(root, 0))
            return std::nullopt;
        m_out += "</plist>\n";
        return m_out;
    }

private:
    bool writeValue(const PlistValue& value, int depth);
    bool writeText(int depth, QByteArrayView element, const QString& text);
    void writeData(int depth, const QByteArray& bytes);

    // Counts an element the way the reader will, so that the writer refuses what it refuses, and
    // stops once the document outgrows the length limit.
    bool enter(int depth) {
        return depth <= BinaryPlistReader::maxDepth &&
               ++m_nodes <= BinaryPlistReader::maxExpandedNodes &&
               m_out.size() <= XmlPlistWriter::maxLength;
    }
    void line(int depth, QByteArrayView content) {
        m_out.append(depth, '\t');
        m_out.append(content);
        m_out.append('\n');
    }

    QByteArray m_out;
    qint64 m_nodes = 0;
};

bool Writer::writeValue(const PlistValue& value, int depth) {
    if (!enter(depth))
        return false;
    switch (value.kind()) {
    case Kind::Null:
        return false;
    case Kind::Boolean:
        line(depth, value.toBool() ? "<true/>" : "<false/>");
        return true;
    case Kind::Integer: {
        const QByteArray number = value.isUnsignedInteger() ? QByteArray::number(value.toUnsigned())
                                                            : QByteArray::number(value.toInteger());
        line(depth, "<integer>" + number + "</integer>");
        return true;
    }
    case Kind::Real:
        line(depth, "<real>" + realText(value.toReal()) + "</real>");
        return true;
    case Kind::Date: {
        const std::optional<QByteArray> date = dateText(value.toDate());
        if (date)
            line(depth, "<date>" + *date + "</date>");
        return date.has_value();
    }
    case Kind::Data:
        writeData(depth, value.toData());
        return true;
    case Kind::String:
        return writeText(depth, "string", value.toString());
    case Kind::Uid:
        // Above 32 bits the reader would not take the dictionary for a UID.
        if (value.toUid() > std::numeric_limits<quint32>::max() || !enter(depth + 1) ||
            !enter(depth + 1))
            return false;
        line(depth, "<dict>");
        line(depth + 1, "<key>CF$UID</key>");
        line(depth + 1, "<integer>" + QByteArray::number(value.toUid()) + "</integer>");
        line(depth, "</dict>");
        return true;
    case Kind::Array:
        if (value.toArray().isEmpty()) {
            line(depth, "<array/>");
            return true;
        }
        line(depth, "<array>");
        for (const PlistValue& element : value.toArray())
            if (!writeValue(element, depth + 1))
                return false;
        line(depth, "</array>");
        return true;
    case Kind::Dictionary:
        if (value.toDictionary().isEmpty()) {
            line(depth, "<dict/>");
            return true;
        }
        line(depth, "<dict>");
        for (const auto& [key, member] : value.sortedDictionary())
            if (!enter(depth + 1) || !writeText(depth + 1, "key", key) ||
                !writeValue(member, depth + 1))
                return false;
        line(depth, "</dict>");
        return true;
    }
    return false;
}

bool Writer::writeText(int depth, QByteArrayView element, const QString& text) {
    if (!isXmlText(text))
        return false;
    m_out.append(depth, '\t');
    m_out += '<';
    m_out += element;
    m_out += '>';
    // The escaped characters are ASCII, so they never occur inside a multi-byte sequence.
    for (const char byte : text.toUtf8()) {
        switch (byte) {
        case '<':
            m_out += "&lt;";
            break;
        case '>':
            m_out += "&gt;";
            break;
        case '&':
            m_out += "&amp;";
            break;
        case '\r':
            m_out += "&#13;";
            break;
        default:
            m_out += byte;
        }
    }
    m_out += "</";
    m_out += element;
    m_out += ">\n";
    return true;
}

void Writer::writeData(int depth, const QByteArray& bytes) {
    const int indent = std::min(depth, maxDataIndent);
    const qsizetype width = 76 - 8 * indent;
    QByteArray base64;
    ValueCodec::of(ValueEncoding::Base64, ValueCodec::Syntax::PropertyList)
        .appendEncoded(base64, bytes);
    line(depth, "<data>");
    for (qsizetype pos = 0; pos < base64.size(); pos += width)
        line(indent, QByteArrayView(base64).sliced(pos, std::min(width, base64.size() - pos)));
    line(depth, "</data>");
}

} // namespace

std::optional<QByteArray> XmlPlistWriter::write(const PlistValue& root) {
    return Writer().run(root);
}

} // namespace palvorn
