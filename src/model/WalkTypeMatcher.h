#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace palvorn {

// Which of an item's listed names a typed name means. After the namespace rule the typed name
// is bytes; the listed name with the same bytes is the one. Only where an item has no such name
// does a canonically equivalent spelling (NFC and NFD of one text) match, and then the first one
// listed: never two names of one item, so a strip cannot take a second spelling along.
class WalkTypeMatcher {
public:
    explicit WalkTypeMatcher(const QString& typed);

    std::optional<QByteArrayView> match(const QList<QByteArrayView>& listed) const;

private:
    bool isEquivalent(QByteArrayView listed) const;

    QByteArray m_wantedBytes;
    QString m_wantedNfc;
};

} // namespace palvorn
