#include "core/model/DumpRestore.h"

#include "core/model/AttributeName.h"
#include "core/model/DumpReader.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/NoFollowPath.h"
#include "core/model/PosixError.h"

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

DumpRestore::Result DumpRestore::apply(QIODevice& in, const QString& sourceName,
                                       const std::function<void(const QString&)>& problem) {
    Result result;
    const auto report = [&](qint64 line, const QString& text) {
        ++result.failed;
        problem(sourceName + u':' + QString::number(line) + u": "_s + text);
    };
    const auto reportEntry = [&](const DumpEntry& entry, const QString& reason) {
        report(entry.line,
               displayName(entry.path) + u": "_s + displayName(entry.name) + u": "_s + reason);
    };
    DumpReader reader(in, report);
    NoFollowPath item;
    while (const std::optional<DumpEntry> entry = reader.next()) {
        if (const std::optional<QString> unreached = item.reach(entry->path)) {
            reportEntry(*entry, *unreached);
            continue;
        }
        // A dump names attributes as the system lists them, namespace included: they are
        // written as they are, without the rule that puts a bare typed name into the user
        // namespace.
        try {
            FolderXattrAccess::set(item.folderFd(), item.itemName(), entry->name, entry->value);
            ++result.applied;
        } catch (const PosixError& error) {
            reportEntry(*entry, error.description());
        }
    }
    return result;
}

} // namespace palvorn
