#include "core/model/DumpRestore.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/DumpReader.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/NoFollowPath.h"

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

DumpRestore::Result DumpRestore::apply(QIODevice& in, const QString& sourceName,
                                       const std::function<void(const QString&)>& problem) {
    Result result;
    const auto report = [&](const Error& failure) {
        ++result.failed;
        problem(sourceName + u':' + QString::number(failure.line()) + u": "_s + failure.lineText());
    };
    const auto reportEntry = [&](const DumpEntry& entry, const QString& reason) {
        report(Error::ofLine(entry.line, reason, ByteText::decode(entry.path), entry.name));
    };
    DumpReader reader(in, report);
    NoFollowPath item;
    while (const std::optional<DumpEntry> entry = reader.next()) {
        if (const palvorn::Result<> reached = item.reach(entry->path); !reached) {
            reportEntry(*entry, reached.error().reason());
            continue;
        }
        // A dump names attributes as the system lists them, namespace included: they are
        // written as they are, without the rule that puts a bare typed name into the user
        // namespace.
        if (const palvorn::Result<> written =
                FolderXattrAccess::set(item.folderFd(), item.itemName(), entry->name, entry->value))
            ++result.applied;
        else
            reportEntry(*entry, written.error().reason());
    }
    return result;
}

} // namespace palvorn
