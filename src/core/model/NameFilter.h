#pragma once

#include "core/model/Parsed.h"

#include <memory>
#include <regex.h>

#include <QByteArray>
#include <QByteArrayView>

namespace palvorn {

// Which attribute names a command takes, as getfattr's -m chooses them: a POSIX extended regular
// expression searched anywhere in the name (unless the pattern anchors it), matched against the
// name's bytes in the locale's character set. "-" means every name, as getfattr reads it, and so
// does no pattern at all. A compiled pattern is shared by copies and may be matched from several
// threads at once.
class NameFilter {
public:
    NameFilter() = default;
    // None, with the system's reason, for a pattern that does not compile.
    static Parsed<NameFilter> fromPattern(const QByteArray& pattern);

    bool takesEveryName() const { return !m_expression; }
    bool matches(QByteArrayView name) const;

private:
    std::shared_ptr<regex_t> m_expression;
};

} // namespace palvorn
