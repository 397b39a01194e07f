#include "core/app/UpdateList.h"

#include "core/app/PublisherSite.h"
#include "core/plist/PropertyListSerialization.h"

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// The entry's text under `key`, or nothing when it is absent or not a string.
std::optional<QString> stringEntry(const PlistValue& entry, const QString& key) {
    const PlistValue* value = entry.find(key);
    if (value == nullptr || value->kind() != PlistValue::Kind::String)
        return std::nullopt;
    return value->toString();
}

} // namespace

Result<UpdateList::Evaluation> UpdateList::evaluate(QByteArrayView data,
                                                    const QString& runningVersion) {
    // Our text reader takes no text for an empty dictionary; the platform's reader refuses
    // empty data, and so does the check.
    const std::optional<PropertyListSerialization::ReadResult> list =
        data.isEmpty() ? std::nullopt : PropertyListSerialization::read(data);
    if (!list)
        return failure(Error({}, u"Error in update Property List."_s, {}));
    if (list->value.kind() != PlistValue::Kind::Array)
        return Evaluation();
    if (list->value.toArray().isEmpty())
        return failure(Error({}, u"Update Property List has no entries."_s, {}));

    Evaluation evaluation;
    for (const PlistValue& entry : list->value.toArray()) {
        if (stringEntry(entry, u"AppName"_s) != u"palvorn"_s)
            continue;
        evaluation.entryFound = true;
        const std::optional<QString> version = stringEntry(entry, u"Version"_s);
        const std::optional<QString> address = stringEntry(entry, u"URL"_s);
        if (!version || !address || *version == runningVersion || !isDownloadAddress(*address))
            continue;
        evaluation.offers.append(
            {*version, QUrl(*address, QUrl::StrictMode),
             u"An update to this app to version "_s + *version + u" is available."_s,
             u"You are currently running palvorn version "_s + runningVersion +
                 u".\nPlease choose whether to download this update now in your default browser."_s});
    }
    return evaluation;
}

bool UpdateList::isDownloadAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && url.scheme() == "https"_L1 &&
           text.startsWith(PublisherSite::downloadSite);
}

} // namespace palvorn
