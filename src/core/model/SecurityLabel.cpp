#include "core/model/SecurityLabel.h"

#include "core/model/TextDecoding.h"

#include <algorithm>

namespace palvorn {

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

QString problemOf(QStringView label) {
    if (label.isEmpty())
        return QStringLiteral("it is empty");
    if (std::any_of(label.begin(), label.end(), isControl))
        return QStringLiteral("it holds control characters");
    return {};
}

} // namespace

Parsed<QString> SecurityLabel::fromXattr(QByteArrayView value) {
    if (value.endsWith('\0'))
        value.chop(1);
    std::optional<QString> label = decodeUtf8(value);
    if (!label)
        return Parsed<QString>::refused(QStringLiteral("it is not UTF-8 text"));
    if (const QString problem = problemOf(*label); !problem.isEmpty())
        return Parsed<QString>::refused(problem);
    return {std::move(label), {}};
}

Parsed<QByteArray> SecurityLabel::fromText(QStringView text, bool endsWithNul) {
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    if (const QString problem = problemOf(text); !problem.isEmpty())
        return Parsed<QByteArray>::refused(problem);
    QByteArray bytes = text.toUtf8();
    // A lone surrogate would be written as a replacement character: another label.
    if (decodeUtf8(bytes) != text.toString())
        return Parsed<QByteArray>::refused(QStringLiteral("it is not UTF-8 text"));
    if (endsWithNul)
        bytes.append('\0');
    return {std::move(bytes), {}};
}

} // namespace palvorn
