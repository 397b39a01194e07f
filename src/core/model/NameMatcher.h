#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace palvorn {

// Finds the one listed name of an item that a wanted name means. The listed name with the same
// bytes wins; only when an item has none does a canonically equivalent spelling match (NFC and
// NFD of one text), the first in list order. So one wanted name never means two names of an item,
// and names that are not UTF-8 match by their bytes only. Built once per wanted name: walks ask it
// for every item.
class NameMatcher {
public:
    // systemName: a listed name, or typed text already passed through systemAttributeName.
    explicit NameMatcher(QByteArray systemName);

    std::optional<qsizetype> indexIn(const QList<QByteArrayView>& listed) const;
    std::optional<qsizetype> indexIn(const QList<QByteArray>& listed) const;

    const QByteArray& wanted() const { return m_wanted; }

private:
    bool isEquivalent(QByteArrayView listed) const;

    QByteArray m_wanted;
    std::optional<QString> m_normalized; // none when the wanted name is not UTF-8
    bool m_wantedIsAscii;
};

// The rule as one call, for a single lookup.
std::optional<qsizetype> matchListedName(const QList<QByteArray>& listed,
                                         const QByteArray& systemName);

} // namespace palvorn
