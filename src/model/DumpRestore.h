#pragma once

#include <functional>

#include <QString>

class QIODevice;

namespace palvorn {

// Applies a dump to the files it names, as setfattr --restore does: each attribute is created or
// replaced, and attributes that the dump does not name are left alone. Every line that cannot
// be read or applied is reported as "SOURCE:LINE: ..." and the rest goes on.
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
