#pragma once

#include <functional>

#include <QString>

class QIODevice;

namespace palvorn {

// Applies a dump to the files it names, as setfattr --restore does: each attribute is created or
// replaced, and attributes that the dump does not name are left alone. Every line that cannot
// be read or applied is reported as "SOURCE:LINE: ..." and the rest goes on.
//
// Unlike setfattr, no link is followed anywhere in a path (see NoFollowPath): an attribute is
// written on the item the path names, a link's own attributes on the link, and a path through a
// link is reported with nothing written. A dump records items; a link put in a folder's place
// after the dump was written must not carry its values to the link's target.
class DumpRestore {
public:
    struct Result {
        qint64 applied = 0;
        qint64 failed = 0;
    };

    static Result apply(QIODevice& in, const QString& sourceName,
                        const std::function<void(const QString& text)>& problem);
};

} // namespace palvorn
