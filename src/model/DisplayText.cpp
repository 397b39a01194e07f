#include "model/DisplayText.h"

#include "model/AttributeName.h"

#include <algorithm>

#include <QTextBoundaryFinder>

namespace palvorn {

namespace {

constexpr char16_t hexDigits[] = u"0123456789abcdef";

bool isShownAsEscape(QChar c) {
    return DisplayText::isControl(c.unicode()) && c != u'\n' && c != u'\t';
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Length of the escape that starts at the position: \\ and \xHH; 1 for anything else.
qsizetype escapeLengthAt(QStringView text, qsizetype at) {
    if (text.at(at) != u'\\' || at + 1 >= text.size())
        return 1;
    if (text.at(at + 1) == u'\\')
        return 2;
    if (text.at(at + 1) == u'x' && at + 3 < text.size() && isHexDigit(text.at(at + 2)) &&
        isHexDigit(text.at(at + 3)))
        return 4;
    return 1;
}

// The last position at or before the limit where no escape is open.
qsizetype escapeBoundaryBefore(QStringView text, qsizetype limit) {
    qsizetype at = 0;
    while (at < limit) {
        const qsizetype next = at + escapeLengthAt(text, at);
        if (next > limit)
            return at;
        at = next;
    }
    return limit;
}

} // namespace

void DisplayText::appendEscapes(QString& out, QByteArrayView bytes) {
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        const char16_t escape[] = {u'\\', u'x', hexDigits[value >> 4], hexDigits[value & 0xf]};
        out.append(QStringView(escape, 4));
    }
}

QString DisplayText::value(const QString& text) {
    const auto first = std::find_if(text.cbegin(), text.cend(), isShownAsEscape);
    if (first == text.cend())
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    shown.append(QStringView(text.cbegin(), first));
    for (auto c = first; c != text.cend(); ++c) {
        if (isShownAsEscape(*c))
            appendEscapes(shown, QString(*c).toUtf8());
        else
            shown.append(*c);
    }
    return shown;
}

QString DisplayText::valueBytes(QByteArrayView bytes) {
    QString shown;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size()) {
            const qsizetype length = validUtf8SequenceLength(bytes.sliced(end));
            if (length == 0)
                break;
            end += length;
        }
        shown += value(QString::fromUtf8(bytes.sliced(at, end - at)));
        if (end < bytes.size())
            appendEscapes(shown, bytes.sliced(end, 1));
        at = end + 1;
    }
    return shown;
}

QString DisplayText::cut(const QString& text, qsizetype maxLength) {
    if (text.size() <= maxLength)
        return text;
    const QString ellipsis = QStringLiteral("…");
    qsizetype end = std::max<qsizetype>(0, maxLength - ellipsis.size());
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(end);
    if (!graphemes.isAtBoundary())
        end = std::max<qsizetype>(0, graphemes.toPreviousBoundary());
    return text.first(escapeBoundaryBefore(text, end)) + ellipsis;
}

} // namespace palvorn
