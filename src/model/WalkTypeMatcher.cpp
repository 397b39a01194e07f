#include "model/WalkTypeMatcher.h"

#include "model/TextDecoding.h"
#include "model/XattrAccess.h"

namespace palvorn {

WalkTypeMatcher::WalkTypeMatcher(const QString& typed)
    : m_wantedBytes(systemAttributeName(typed)),
      m_wantedNfc(QString::fromUtf8(m_wantedBytes).normalized(QString::NormalizationForm_C)) {}

std::optional<QByteArrayView> WalkTypeMatcher::match(const QList<QByteArrayView>& listed) const {
    for (const QByteArrayView name : listed) {
        if (name == m_wantedBytes)
            return name;
    }
    for (const QByteArrayView name : listed) {
        if (isEquivalent(name))
            return name;
    }
    return std::nullopt;
}

bool WalkTypeMatcher::isEquivalent(QByteArrayView listed) const {
    // ASCII text is its own normal form, so only byte equality could have matched it; a name
    // that is not UTF-8 has no canonical form at all.
    if (isAscii(listed))
        return false;
    const std::optional<QString> text = decodeUtf8(listed);
    return text && text->normalized(QString::NormalizationForm_C) == m_wantedNfc;
}

} // namespace palvorn
