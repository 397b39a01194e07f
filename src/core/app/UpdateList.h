#pragma once

#include "core/model/Error.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

namespace palvorn {

// The evaluation of a fetched update list: a property list whose root array holds one dictionary
// per application ("AppName", "Version", "URL"). Plain logic; the window layer shows what it
// returns.
class UpdateList {
public:
    struct Offer {
        QString listedVersion;
        QUrl url;
        QString messageText;
        QString informativeText;
    };

    // What to do: mark the help item when this application's entry was found (a mark always
    // precedes the offers, which come only from such entries), then make each offer.
    struct Evaluation {
        bool entryFound = false;
        QList<Offer> offers;
    };

    static QString noVersionError() {
        return QStringLiteral("Can't check for updates:\nNo app version string found.");
    }

    // Entries that are not dictionaries, or lack a string "AppName", "Version" or "URL", are
    // skipped; so is a root that is not an array, like a list without this application's entry.
    // The error, to be shown alone, is its text alone.
    static Result<Evaluation> evaluate(QByteArrayView data, const QString& runningVersion);

    // An https address whose text starts with the download site's: the host and the path prefix
    // are then the publisher's, whatever follows.
    static bool isDownloadAddress(const QString& text);
};

} // namespace palvorn
