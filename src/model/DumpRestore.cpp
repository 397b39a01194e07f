#include "model/DumpRestore.h"

#include "model/AttributeName.h"
#include "model/DumpReader.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// A dump names attributes as the system lists them, namespace included: they are written as
// they are. The access layer still takes names as text and maps a bare name into the user
// namespace, so a name that it would change (one that is not UTF-8, or has no namespace) is
// refused rather than written under another name.
void writeListedName(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    const QString text = QString::fromUtf8(name);
    if (systemAttributeName(text) != name)
        throw PosixError(EOPNOTSUPP, PosixError::describe(EOPNOTSUPP));
    setXattr(path, text, value);
}

} // namespace

DumpRestore::Result DumpRestore::apply(QIODevice& in, const QString& sourceName,
                                       const std::function<void(const QString&)>& problem) {
    Result result;
    const auto report = [&](qint64 line, const QString& text) {
        ++result.failed;
        problem(sourceName + u':' + QString::number(line) + u": "_s + text);
    };
    DumpReader reader(in, report);
    while (const std::optional<DumpEntry> entry = reader.next()) {
        try {
            writeListedName(entry->path, entry->name, entry->value);
            ++result.applied;
        } catch (const PosixError& error) {
            report(entry->line, displayName(entry->path) + u": "_s + displayName(entry->name) +
                                    u": "_s + error.description());
        }
    }
    return result;
}

} // namespace palvorn
