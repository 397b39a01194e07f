#include "core/platform/DroppedPaths.h"

#include "core/model/ByteText.h"

#include <QMimeData>
#include <QUrl>

namespace palvorn {

namespace {

const QString uriList = QStringLiteral("text/uri-list");

// The URLs of a text/uri-list: one per line, "#" lines being comments.
QList<QByteArray> encodedUrls(const QMimeData& data) {
    QList<QByteArray> urls;
    for (QByteArray line : data.data(uriList).split('\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            urls.append(line);
    }
    return urls;
}

} // namespace

QStringList DroppedPaths::localPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QByteArray& encoded : encodedUrls(*data)) {
        const QUrl url = QUrl::fromEncoded(encoded);
        // A file on another host is no local path, whatever its path says.
        if (!url.isLocalFile() || (!url.host().isEmpty() && url.host() != u"localhost"))
            continue;
        // The path still percent-encoded, so that every byte comes back as it was sent.
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!bytes.isEmpty())
            paths.append(ByteText::decode(bytes));
    }
    return paths;
}

bool DroppedPaths::hasOtherUrls(const QMimeData* data) {
    return data && data->hasUrls() &&
           localPaths(data).size() != qsizetype(encodedUrls(*data).size());
}

} // namespace palvorn
