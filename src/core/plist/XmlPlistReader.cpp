#include "core/plist/XmlPlistReader.h"

#include "core/model/TextDecoding.h"
#include "core/model/ValueCodec.h"
#include "core/plist/BinaryPlistReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <QDate>
#include <QTime>
#include <QXmlStreamReader>

namespace palvorn {

namespace {

using namespace Qt::Literals::StringLiterals;
using Token = QXmlStreamReader::TokenType;

enum class Element { Dict, Array, True, False, String, Data, Date, Integer, Real, Key, Unknown };

Element elementNamed(QStringView name) {
    static constexpr std::pair<QStringView, Element> elements[] = {
        {u"dict", Element::Dict},   {u"array", Element::Array},     {u"true", Element::True},
        {u"false", Element::False}, {u"string", Element::String},   {u"data", Element::Data},
        {u"date", Element::Date},   {u"integer", Element::Integer}, {u"real", Element::Real},
        {u"key", Element::Key},
    };
    const auto* match = std::find_if(std::begin(elements), std::end(elements),
                                     [name](const auto& element) { return element.first == name; });
    return match != std::end(elements) ? match->second : Element::Unknown;
}

// Decimal or "0x" hexadecimal with an optional sign, from INT64_MIN to UINT64_MAX.
std::optional<PlistValue> parseInteger(QStringView text) {
    const QByteArray latin1 = text.trimmed().toLatin1(); // anything beyond Latin-1 becomes '?'
    QByteArrayView digits = latin1;
    const bool negative = digits.startsWith('-');
    if (negative || digits.startsWith('+'))
        digits = digits.sliced(1);
    int base = 10;
    if (digits.startsWith("0x") || digits.startsWith("0X")) {
        base = 16;
        digits = digits.sliced(2);
    }
    // from_chars takes no sign for an unsigned type, so a second sign fails here.
    quint64 magnitude = 0;
    const auto [end, error] = std::from_chars(digits.begin(), digits.end(), magnitude, base);
    if (error != std::errc() || end != digits.end())
        return std::nullopt;
    if (!negative)
        return PlistValue::unsignedInteger(magnitude);
    if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
        return std::nullopt;
    return PlistValue::integer(static_cast<qint64>(0 - magnitude)); // 2^63 gives INT64_MIN
}

// What strtod reads in the C locale (no hexadecimal), plus the sign "+" before any of it, so that
// "+infinity" as the writers give it reads. Values beyond the range of a double fail.
std::optional<double> parseReal(QStringView text) {
    const QByteArray latin1 = text.trimmed().toLatin1();
    QByteArrayView number = latin1;
    if (number.startsWith('+') && !number.sliced(1).startsWith('-'))
        number = number.sliced(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(number.begin(), number.end(), value, std::chars_format::general);
    if (error != std::errc() || end != number.end())
        return std::nullopt;
    // The text of a NaN carries no payload that the writers keep, "-nan" not even its sign.
    return std::isnan(value) ? std::numeric_limits<double>::quiet_NaN() : value;
}

// Exactly "YYYY-MM-DDTHH:MM:SSZ", in UTC.
std::optional<double> parseDate(QStringView text) {
    static constexpr QStringView pattern = u"0000-00-00T00:00:00Z";
    if (text.size() != pattern.size())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digitWanted = pattern[i] == u'0';
        const char16_t unit = text[i].unicode();
        if (digitWanted ? (unit < u'0' || unit > u'9') : unit != pattern[i].unicode())
            return std::nullopt;
    }
    const auto field = [text](qsizetype pos, qsizetype size) {
        return text.sliced(pos, size).toInt();
    };
    const QDate date(field(0, 4), field(5, 2), field(8, 2));
    const QTime time(field(11, 2), field(14, 2), field(17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const qint64 days = date.toJulianDay() - QDate(2001, 1, 1).toJulianDay();
    return double(days * 86'400 + time.msecsSinceStartOfDay() / 1000);
}

// Base64 with any whitespace between the characters, strictly decoded.
std::optional<QByteArray> parseData(QStringView text) {
    ValueCodec::Decoded value =
        ValueCodec::of(ValueEncoding::Base64, ValueCodec::Syntax::PropertyList).decode(text);
    if (!value)
        return std::nullopt;
    return std::move(*value);
}

// QXmlStreamReader compares the attributes of a tag, and the attribute declarations of a DTD,
// pairwise: some 40,000 of them take seconds, a few megabytes of them hours. A property list has
// no use for either, so this linear scan refuses them before Qt sees the text: tags with more than
// a handful of attributes and any ATTLIST declaration. Comments, CDATA sections, processing
// instructions and quoted values are skipped, so text inside them never counts.
bool hasFewAttributes(QStringView text) {
    constexpr int maxAttributes = 64;
    const auto skipPast = [text](qsizetype from, QStringView end) {
        const qsizetype found = text.indexOf(end, from);
        return found < 0 ? text.size() : found + end.size();
    };
    qsizetype pos = 0;
    while ((pos = text.indexOf(u'<', pos)) >= 0) {
        const QStringView markup = text.sliced(pos);
        if (markup.startsWith(u"<!--")) {
            pos = skipPast(pos + 4, u"-->");
        } else if (markup.startsWith(u"<![CDATA[")) {
            pos = skipPast(pos + 9, u"]]>");
        } else if (markup.startsWith(u"<?")) {
            pos = skipPast(pos + 2, u"?>");
        } else if (markup.startsWith(u"<!ATTLIST")) {
            return false;
        } else {
            // A tag or a declaration, up to its end. Every attribute has one '=' outside quotes.
            int attributes = 0;
            char16_t quote = 0;
            for (++pos; pos < text.size(); ++pos) {
                const char16_t unit = text[pos].unicode();
                if (quote != 0) {
                    if (unit == quote)
                        quote = 0;
                } else if (unit == u'"' || unit == u'\'') {
                    quote = unit;
                } else if (unit == u'>' || unit == u'<') {
                    break; // a '<' starts an internal DTD subset, or the tag is malformed
                } else if (unit == u'=' && ++attributes > maxAttributes) {
                    return false;
                }
            }
        }
    }
    return true;
}

class Parser {
public:
    explicit Parser(const QString& text) : m_xml(text) { m_xml.setNamespaceProcessing(false); }

    std::optional<PlistValue> run();

private:
    Token nextMarkup();
    std::optional<QString> elementText();
    bool enter(int depth) {
        return depth <= BinaryPlistReader::maxDepth &&
               ++m_nodes <= BinaryPlistReader::maxExpandedNodes;
    }
    std::optional<PlistValue> value(int depth);
    std::optional<PlistValue> arrayBody(int depth);
    std::optional<PlistValue> dictionaryBody(int depth);

    QXmlStreamReader m_xml;
    qint64 m_nodes = 0; // elements read so far, dictionary keys included
};

std::optional<PlistValue> Parser::run() {
    if (m_xml.readNext() != Token::StartDocument)
        return std::nullopt;
    // The bytes were decoded as UTF-8 already; a document that says otherwise was misread.
    const QStringView encoding = m_xml.documentEncoding();
    if (!encoding.isEmpty() && encoding.compare(u"UTF-8", Qt::CaseInsensitive) != 0)
        return std::nullopt;

    if (nextMarkup() != Token::StartElement)
        return std::nullopt;
    std::optional<PlistValue> root;
    if (m_xml.qualifiedName() == u"plist") {
        if (nextMarkup() != Token::StartElement)
            return std::nullopt;
        root = value(0);
        if (!root || nextMarkup() != Token::EndElement)
            return std::nullopt;
    } else {
        root = value(0);
    }
    if (!root || nextMarkup() != Token::EndDocument || m_xml.hasError())
        return std::nullopt;
    return root;
}

// The next element boundary, skipping what carries no value: whitespace, comments, processing
// instructions and an entity-free DTD. Anything else gives Invalid.
Token Parser::nextMarkup() {
    for (;;) {
        const Token token = m_xml.readNext();
        switch (token) {
        case Token::Characters:
            if (!m_xml.isWhitespace())
                return Token::Invalid;
            break;
        case Token::Comment:
        case Token::ProcessingInstruction:
            break;
        case Token::DTD:
            // Refused before any entity could be expanded, however small it looks.
            if (!m_xml.entityDeclarations().isEmpty())
                return Token::Invalid;
            break;
        case Token::StartElement:
        case Token::EndElement:
        case Token::EndDocument:
            return token;
        default: // errors and references to entities that were never declared
            return Token::Invalid;
        }
    }
}

// The text of the current element, which must hold no child element.
std::optional<QString> Parser::elementText() {
    QString text;
    for (;;) {
        switch (m_xml.readNext()) {
        case Token::Characters:
            text += m_xml.text();
            break;
        case Token::Comment:
        case Token::ProcessingInstruction:
            break;
        case Token::EndElement:
            return text;
        default:
            return std::nullopt;
        }
    }
}

// The value whose start tag was just read.
std::optional<PlistValue> Parser::value(int depth) {
    if (!enter(depth))
        return std::nullopt;
    const Element element = elementNamed(m_xml.qualifiedName());
    switch (element) {
    case Element::Dict:
        return dictionaryBody(depth);
    case Element::Array:
        return arrayBody(depth);
    case Element::True:
    case Element::False:
        if (nextMarkup() != Token::EndElement)
            return std::nullopt;
        return PlistValue::boolean(element == Element::True);
    case Element::Key:
    case Element::Unknown:
        return std::nullopt;
    default:
        break;
    }

    const std::optional<QString> text = elementText();
    if (!text)
        return std::nullopt;
    switch (element) {
    case Element::String:
        return PlistValue::string(*text);
    case Element::Integer:
        return parseInteger(*text);
    case Element::Real: {
        const std::optional<double> real = parseReal(*text);
        return real ? std::optional(PlistValue::real(*real)) : std::nullopt;
    }
    case Element::Date: {
        const std::optional<double> date = parseDate(*text);
        return date ? std::optional(PlistValue::date(*date)) : std::nullopt;
    }
    case Element::Data: {
        std::optional<QByteArray> bytes = parseData(*text);
        return bytes ? std::optional(PlistValue::data(std::move(*bytes))) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<PlistValue> Parser::arrayBody(int depth) {
    PlistValue::Array elements;
    for (;;) {
        switch (nextMarkup()) {
        case Token::EndElement:
            return PlistValue::array(std::move(elements));
        case Token::StartElement: {
            std::optional<PlistValue> element = value(depth + 1);
            if (!element)
                return std::nullopt;
            elements.append(std::move(*element));
            break;
        }
        default:
            return std::nullopt;
        }
    }
}

std::optional<PlistValue> Parser::dictionaryBody(int depth) {
    PlistValue::Dictionary entries;
    for (;;) {
        const Token token = nextMarkup();
        if (token == Token::EndElement)
            break;
        // A key, then its value: a value without a key, or a key followed by the dictionary's
        // end or by another key, fails.
        if (token != Token::StartElement || elementNamed(m_xml.qualifiedName()) != Element::Key ||
            !enter(depth + 1))
            return std::nullopt;
        std::optional<QString> key = elementText();
        if (!key || nextMarkup() != Token::StartElement)
            return std::nullopt;
        std::optional<PlistValue> member = value(depth + 1);
        if (!member)
            return std::nullopt;
        entries.append({std::move(*key), std::move(*member)});
    }

    PlistValue dictionary = PlistValue::dictionary(std::move(entries));
    // How the writers carry a UID, since the format has no element of its own for it.
    const PlistValue* uid =
        dictionary.toDictionary().size() == 1 ? dictionary.find(u"CF$UID"_s) : nullptr;
    if (uid && uid->kind() == PlistValue::Kind::Integer && !uid->isUnsignedInteger() &&
        uid->toInteger() >= 0 && uid->toInteger() <= std::numeric_limits<quint32>::max())
        return PlistValue::uid(uid->toUnsigned());
    return dictionary;
}

} // namespace

std::optional<PlistValue> XmlPlistReader::read(QByteArrayView bytes) {
    const std::optional<QString> text = decodeUtf8(bytes);
    if (!text || !hasFewAttributes(*text))
        return std::nullopt;
    return Parser(*text).run();
}

} // namespace palvorn
