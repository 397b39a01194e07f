#include "core/model/NameFilter.h"

#include <QString>

namespace palvorn {

Parsed<NameFilter> NameFilter::fromPattern(const QByteArray& pattern) {
    NameFilter filter;
    if (pattern == "-")
        return {filter, {}};
    auto expression = std::make_unique<regex_t>();
    if (const int code = ::regcomp(expression.get(), pattern.constData(), REG_EXTENDED | REG_NOSUB);
        code != 0) {
        char reason[256];
        ::regerror(code, expression.get(), reason, sizeof reason);
        return Parsed<NameFilter>::refused(QString::fromLocal8Bit(reason));
    }
    filter.m_expression = std::shared_ptr<regex_t>(expression.release(), [](regex_t* compiled) {
        ::regfree(compiled);
        delete compiled;
    });
    return {filter, {}};
}

bool NameFilter::matches(QByteArrayView name) const {
    if (!m_expression)
        return true;
    // The name's own bounds, so that a view into a list needs no copy to end it with a NUL.
    regmatch_t bounds{0, static_cast<regoff_t>(name.size())};
    return ::regexec(m_expression.get(), name.data(), 1, &bounds, REG_STARTEND) == 0;
}

} // namespace palvorn
