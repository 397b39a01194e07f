#pragma once

#include <QStringList>

class QMimeData;

namespace palvorn {

// The local files a drag carries, as bytes (see ByteText). File managers send each path
// percent-encoded byte for byte; Qt's URLs would decode a name that is not UTF-8 into another one.
class DroppedPaths {
public:
    // The local paths among the drag's URLs, in order; anything that is not a local file is left
    // out.
    static QStringList localPaths(const QMimeData* data);
    // Whether the drag carries URLs that are not all local files (a web address).
    static bool hasOtherUrls(const QMimeData* data);
};

} // namespace palvorn
