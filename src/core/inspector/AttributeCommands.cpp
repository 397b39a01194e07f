#include "core/inspector/AttributeCommands.h"

#include "core/model/XattrAccess.h"

#include <cerrno>
#include <optional>

namespace palvorn {

namespace {

const QString setxattrCall = QStringLiteral("setxattr");

// A name that names nothing would reach the system as a bare namespace and fail as an invalid
// argument; it is refused for what it is.
std::optional<Error> withoutName(const QString& path, const QByteArray& name) {
    if (!namesNoAttribute(name))
        return std::nullopt;
    return Error({}, QStringLiteral("An attribute needs a name, so nothing was saved."), path);
}

} // namespace

QList<Error> AttributeCommands::writeRecord(const QString& path, const ResourceItem& record,
                                            Links links) {
    const QByteArray name = systemAttributeName(record.rawName());
    if (const std::optional<Error> refused = withoutName(path, name))
        return {*refused};
    if (const Result<> written = setXattr(nativePath(path), name, record.data(), links); !written)
        return {Error::fromError(setxattrCall, written.error(), path, name)};
    return {};
}

QList<Error> AttributeCommands::saveEditedRecord(const QString& path, const ResourceItem* original,
                                                 const ResourceItem& edited) {
    if (!original)
        return writeRecord(path, edited);
    if (edited.name() == original->name())
        return writeRecord(path, ResourceItem(original->rawName(), edited.data()));
    const QByteArray name = systemAttributeName(edited.rawName());
    if (const std::optional<Error> refused = withoutName(path, name))
        return {*refused};
    const Result<> created = createXattr(nativePath(path), name, edited.data());
    if (created)
        return {};
    const Error& error = created.error();
    if (error.code() == EEXIST)
        return {Error({},
                      QStringLiteral("An attribute of that name already exists, "
                                     "so nothing was saved"),
                      path, name, error.code())};
    return {Error::fromError(setxattrCall, error, path, name)};
}

QList<Error> AttributeCommands::removeRecords(const QString& path,
                                              const QList<ResourceItemPtr>& records, Links links) {
    QList<Error> failures;
    for (const ResourceItemPtr& record : records) {
        const QByteArray name = systemAttributeName(record->rawName());
        if (const Result<> removed = removeXattr(nativePath(path), name, links); !removed)
            failures.append(
                Error::fromError(QStringLiteral("removexattr"), removed.error(), path, name));
    }
    return failures;
}

QList<Error> AttributeCommands::pasteArchives(const QString& path,
                                              const QList<QByteArray>& archives, Links links) {
    QList<Error> failures;
    for (const QByteArray& archive : archives) {
        if (const std::shared_ptr<ResourceItem> record = ResourceItem::fromArchive(archive))
            failures += writeRecord(path, *record, links);
    }
    return failures;
}

} // namespace palvorn
