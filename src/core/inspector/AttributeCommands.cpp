#include "core/inspector/AttributeCommands.h"

#include "core/model/XattrAccess.h"

#include <cerrno>
#include <optional>

namespace palvorn {

namespace {

const QString setxattrCall = QStringLiteral("setxattr");

// A name that names nothing would reach the system as a bare namespace and fail as an invalid
// argument; it is refused for what it is.
std::optional<AttributeFailure> withoutName(const QString& path, const QByteArray& name) {
    if (!namesNoAttribute(name))
        return std::nullopt;
    return AttributeFailure({}, QStringLiteral("An attribute needs a name, so nothing was saved."),
                            path);
}

} // namespace

QList<AttributeFailure> AttributeCommands::writeRecord(const QString& path,
                                                       const ResourceItem& record, Links links) {
    const QByteArray name = systemAttributeName(record.rawName());
    if (const std::optional<AttributeFailure> refused = withoutName(path, name))
        return {*refused};
    try {
        setXattr(nativePath(path), name, record.data(), links);
        return {};
    } catch (const PosixError& error) {
        return {AttributeFailure::fromError(setxattrCall, error, path, name)};
    }
}

QList<AttributeFailure> AttributeCommands::saveEditedRecord(const QString& path,
                                                            const ResourceItem* original,
                                                            const ResourceItem& edited) {
    if (!original)
        return writeRecord(path, edited);
    if (edited.name() == original->name())
        return writeRecord(path, ResourceItem(original->rawName(), edited.data()));
    const QByteArray name = systemAttributeName(edited.rawName());
    if (const std::optional<AttributeFailure> refused = withoutName(path, name))
        return {*refused};
    try {
        createXattr(nativePath(path), name, edited.data());
        return {};
    } catch (const PosixError& error) {
        if (error.code() == EEXIST)
            return {AttributeFailure({},
                                     QStringLiteral("An attribute of that name already exists, "
                                                    "so nothing was saved"),
                                     path, name, error.code())};
        return {AttributeFailure::fromError(setxattrCall, error, path, name)};
    }
}

QList<AttributeFailure> AttributeCommands::removeRecords(const QString& path,
                                                         const QList<ResourceItemPtr>& records,
                                                         Links links) {
    QList<AttributeFailure> failures;
    for (const ResourceItemPtr& record : records) {
        const QByteArray name = systemAttributeName(record->rawName());
        try {
            removeXattr(nativePath(path), name, links);
        } catch (const PosixError& error) {
            failures.append(
                AttributeFailure::fromError(QStringLiteral("removexattr"), error, path, name));
        }
    }
    return failures;
}

QList<AttributeFailure> AttributeCommands::pasteArchives(const QString& path,
                                                         const QList<QByteArray>& archives,
                                                         Links links) {
    QList<AttributeFailure> failures;
    for (const QByteArray& archive : archives) {
        if (const std::shared_ptr<ResourceItem> record = ResourceItem::fromArchive(archive))
            failures += writeRecord(path, *record, links);
    }
    return failures;
}

} // namespace palvorn
