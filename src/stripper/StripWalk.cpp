#include "stripper/StripWalk.h"

#include "model/AttributeName.h"
#include "model/ByteText.h"
#include "model/FolderItemNames.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

namespace palvorn {

std::optional<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                const FolderWalk::Options& options,
                                                const WalkErrors::LineSink& onError,
                                                QString* error) {
    Result result{folderPath, type, 0, 0, {}, false, {}};
    // The typed name as the system spells it, so "com.apple.quarantine" finds
    // "user.com.apple.quarantine"; one name per item, by its bytes or else an equivalent spelling.
    const NameMatcher matcher(systemAttributeName(type));
    FolderItemNames listed;
    const auto show = [&onError](const QString& line) {
        if (!line.isEmpty() && onError)
            onError(line);
    };
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++result.itemsWalked;
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
            const qsizetype size =
                FolderXattrAccess::get(item.folderFd, item.name, name->data()).size();
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
