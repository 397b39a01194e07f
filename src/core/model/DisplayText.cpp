#include "core/model/DisplayText.h"

#include "core/model/AttributeName.h"

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

// The columns a terminal gives one grapheme: 0 for marks and format characters, 2 for East
// Asian wide and full-width characters and pictographs, 1 for the rest. A character of unsure
// width counts as wide: a line that comes out one column short is better than one that wraps.
qsizetype columnsOf(QStringView grapheme) {
    qsizetype columns = 0;
    for (const char32_t c : grapheme.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
            category == QChar::Other_Format)
            continue;
        const bool wide = (c >= 0x1100 && c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf) ||
                          (c >= 0xac00 && c <= 0xd7a3) || (c >= 0xf900 && c <= 0xfaff) ||
                          (c >= 0xfe10 && c <= 0xfe6f) || (c >= 0xff00 && c <= 0xff60) ||
                          (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x1f000 && c <= 0x1faff) ||
                          (c >= 0x20000 && c <= 0x3fffd) || (c >= 0x2600 && c <= 0x27bf) ||
                          (c >= 0x2300 && c <= 0x23ff) || (c >= 0x2b00 && c <= 0x2bff);
        columns += wide ? 2 : 1;
    }
    // A grapheme is drawn in one cell or two, whatever it is made of.
    return std::min<qsizetype>(columns, 2);
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

QString DisplayText::cut(const QString& text, qsizetype columns) {
    const QString ellipsis = QStringLiteral("…");
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    // The end of the text that fits with room for the ellipsis, found on the way.
    qsizetype fitting = 0;
    qsizetype used = 0;
    for (qsizetype start = 0, end = graphemes.toNextBoundary(); end > 0;
         start = end, end = graphemes.toNextBoundary()) {
        used += columnsOf(QStringView(text).sliced(start, end - start));
        if (used <= columns - 1)
            fitting = end;
        if (used > columns)
            return text.first(escapeBoundaryBefore(text, fitting)) + ellipsis;
    }
    return text;
}

} // namespace palvorn
