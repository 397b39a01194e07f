#include "core/model/NameMatcher.h"

#include "core/model/TextDecoding.h"

namespace palvorn {

namespace {

std::optional<QString> normalizedText(QByteArrayView name) {
    const std::optional<QString> text = decodeUtf8(name);
    if (!text)
        return std::nullopt;
    return text->normalized(QString::NormalizationForm_C);
}

template <typename Name>
std::optional<qsizetype> findIndex(const QByteArray& wanted, const QList<Name>& listed,
                                   const auto& isEquivalent) {
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (QByteArrayView(listed.at(i)) == wanted)
            return i;
    }
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (isEquivalent(QByteArrayView(listed.at(i))))
            return i;
    }
    return std::nullopt;
}

} // namespace

NameMatcher::NameMatcher(QByteArray systemName)
    : m_wanted(std::move(systemName)), m_normalized(normalizedText(m_wanted)),
      m_wantedIsAscii(isAscii(m_wanted)) {}

bool NameMatcher::isEquivalent(QByteArrayView listed) const {
    // Two ASCII texts are their own normal forms, so only byte equality can match them (a
    // non-ASCII name may still equal an ASCII one: KELVIN SIGN is "K").
    if (!m_normalized || (m_wantedIsAscii && isAscii(listed)))
        return false;
    return normalizedText(listed) == m_normalized;
}

std::optional<qsizetype> NameMatcher::indexIn(const QList<QByteArrayView>& listed) const {
    return findIndex(m_wanted, listed, [this](QByteArrayView name) { return isEquivalent(name); });
}

std::optional<qsizetype> NameMatcher::indexIn(const QList<QByteArray>& listed) const {
    return findIndex(m_wanted, listed, [this](QByteArrayView name) { return isEquivalent(name); });
}

std::optional<qsizetype> matchListedName(const QList<QByteArray>& listed,
                                         const QByteArray& systemName) {
    return NameMatcher(systemName).indexIn(listed);
}

} // namespace palvorn
