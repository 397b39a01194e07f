#include "stripper/StripWalk.h"

#include "model/AttributeName.h"
#include "model/ByteText.h"
#include "model/DumpReader.h"
#include "model/FolderItemNames.h"
#include "model/FolderText.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <QFile>

namespace palvorn {

std::optional<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                const FolderWalk::Options& options,
                                                const WalkErrors::LineSink& onError, QString* error,
                                                const QString& restoreFile) {
    Result result{folderPath, type, 0, 0, {}, false, {}};
    // The typed name as the system spells it, so "com.apple.quarantine" finds
    // "user.com.apple.quarantine"; one name per item, by its bytes or else an equivalent spelling.
    const NameMatcher matcher(systemAttributeName(type));
    FolderItemNames listed;
    const auto show = [&onError](const QString& line) {
        if (!line.isEmpty() && onError)
            onError(line);
    };
    // The restore file, read one entry ahead of the walk.
    QFile restore(restoreFile);
    std::optional<DumpReader> reader;
    std::optional<DumpEntry> pending;
    // Its paths are absolute; the walk's begin with the folder as given.
    const auto trimmed = [](QByteArray path) {
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        return path;
    };
    const QByteArray walkedFolder = trimmed(nativePath(folderPath));
    const QByteArray restoredFolder = trimmed(nativePath(FolderText::absolutePath(folderPath)));
    if (!restoreFile.isEmpty()) {
        if (!restore.open(QIODevice::ReadOnly)) {
            *error = restoreFile + QStringLiteral(": ") + restore.errorString();
            return std::nullopt;
        }
        const QByteArray restorePath = nativePath(restoreFile);
        reader.emplace(restore, [&, restorePath](qint64 line, const QString& text) {
            show(result.errors.add(restorePath, QStringLiteral("line %1: ").arg(line) + text));
        });
        pending = reader->next();
    }
    // The entry the restore file holds for this item, if it is the next one; taken either way.
    const auto entryFor = [&](const QByteArray& path) -> std::optional<DumpEntry> {
        if (!pending || pending->path != restoredFolder + path.mid(walkedFolder.size()))
            return std::nullopt;
        std::optional<DumpEntry> entry = std::move(pending);
        pending = reader->next();
        return entry;
    };
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++result.itemsWalked;
        const std::optional<DumpEntry> entry = reader ? entryFor(item.path) : std::nullopt;
        std::optional<QByteArrayView> name;
        try {
            const QList<QByteArrayView>& names = listed.read(item.folderFd, item.name);
            if (const std::optional<qsizetype> match = matcher.indexIn(names))
                name = names.at(*match);
        } catch (const PosixError& failure) {
            show(result.errors.add(item.path, failure.description()));
            return;
        }
        if (!name)
            return;
        try {
            const QByteArray value = FolderXattrAccess::get(item.folderFd, item.name, name->data());
            const qsizetype size = value.size();
            if (reader && (!entry || entry->name != *name)) {
                show(result.errors.add(
                    item.path, *name,
                    QStringLiteral("not removed: the restore file does not hold it")));
                return;
            }
            if (reader && entry->value != value) {
                show(result.errors.add(
                    item.path, *name,
                    QStringLiteral("not removed: its value changed after the restore file was "
                                   "written")));
                return;
            }
            FolderXattrAccess::remove(item.folderFd, item.name, name->data());
            result.removals.append(displayName(item.path) +
                                   QStringLiteral(": %1  bytes.").arg(size));
            ++result.removed;
        } catch (const PosixError& failure) {
            show(result.errors.add(item.path, *name, failure.description()));
        }
    };
    const auto folderFailed = [&](const QByteArray& path, const QString& reason) {
        show(result.errors.add(path, reason));
    };
    if (!FolderWalk::walk(folderPath, visit, folderFailed, options, error))
        return std::nullopt;
    result.stopped = FolderWalk::stopped(options);
    return result;
}

QString StripWalk::report(const Result& result) {
    // The type and the path (as displayName shows them) are appended, never substituted: a "%1"
    // typed in them stays text.
    QString text = QStringLiteral("Stripped %1 xattrs of type ").arg(result.removed) +
                   displayName(ByteText::encode(result.type)) +
                   QStringLiteral(" from %1 files in  ").arg(result.itemsWalked) +
                   displayName(nativePath(result.folderPath)) + QStringLiteral("\n\n");
    for (const QString& removal : result.removals)
        text += removal + u'\n';
    if (result.stopped)
        text += QStringLiteral("\nStopped before the end of the walk: %1 xattrs stripped from %2 "
                               "files up to then; the items after them were left as they were.\n")
                    .arg(result.removed)
                    .arg(result.itemsWalked);
    return text + result.errors.reportText(QStringLiteral("stripped"));
}

} // namespace palvorn
