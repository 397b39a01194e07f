#include "inspector/AttributeCommands.h"

#include "model/XattrAccess.h"

namespace palvorn {

QStringList AttributeCommands::writeRecord(const QString& path, const ResourceItem& record) {
    try {
        setXattr(nativePath(path), record.name(), record.data());
        return {};
    } catch (const PosixError& error) {
        return {QStringLiteral("setxattr error: ") + error.description()};
    }
}

QStringList AttributeCommands::removeRecords(const QString& path,
                                             const QList<ResourceItemPtr>& records) {
    QStringList failures;
    for (const ResourceItemPtr& record : records) {
        try {
            removeXattr(nativePath(path), record->name());
        } catch (const PosixError& error) {
            failures.append(QStringLiteral("removexattr error: ") + error.description());
        }
    }
    return failures;
}

QStringList AttributeCommands::pasteArchives(const QString& path,
                                             const QList<QByteArray>& archives) {
    QStringList failures;
    for (const QByteArray& archive : archives) {
        if (const std::shared_ptr<ResourceItem> record = ResourceItem::fromArchive(archive))
            failures += writeRecord(path, *record);
    }
    return failures;
}

} // namespace palvorn
