#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace palvorn {

// Names and values come from files anyone can write; what a person reads of them must not steer
// the terminal or the window that shows it. A control character (C0, DEL or C1, U+0080..U+009F)
// is shown as \xHH, one escape per byte of its UTF-8 form (so U+0085 is \xc2\x85, never to be
// taken for the lone byte \x85). Names follow displayName (AttributeName.h), which also escapes
// backslashes; value text follows value().
class DisplayText {
public:
    // Whether the code point is a control that display text never carries as it is.
    static constexpr bool isControl(char32_t codePoint) {
        return codePoint < 0x20 || (codePoint >= 0x7f && codePoint <= 0x9f);
    }

    // Appends \xHH for each byte.
    static void appendEscapes(QString& out, QByteArrayView bytes);

    // Decoded value text as shown under "String content:", between « » and in property-list
    // content: every control but line feed and tab as \xHH; a backslash stays as it is. Text
    // without such controls comes back unchanged (and unshared copies are not made).
    static QString value(const QString& text);
    // Bytes shown as value text: valid UTF-8 as value() shows it, every other byte as \xHH.
    static QString valueBytes(QByteArrayView bytes);

    // The text cut to fit at most the given number of terminal columns (a progress line),
    // ending with "…" when cut. A wide character takes two columns, a combining mark none. The cut
    // falls on a grapheme boundary, so never inside a surrogate pair or before a combining mark,
    // and never inside a \xHH or \\ escape.
    static QString cut(const QString& text, qsizetype columns);
};

} // namespace palvorn
