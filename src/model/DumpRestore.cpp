#include "model/DumpRestore.h"

#include "model/AttributeName.h"
#include "model/DumpReader.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// A dump names attributes as the system lists them, namespace included: they are written as
// they are, without the rule that puts a bare typed name into the user namespace.
void writeListedName(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    setXattr(path, name, value);
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
