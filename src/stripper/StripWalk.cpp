#include "stripper/StripWalk.h"

#include "model/NameMatcher.h"
#include "model/XattrAccess.h"

#include <QFile>

namespace palvorn {

std::optional<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                const FolderWalk::ErrorSink& onError,
                                                const std::atomic_bool* stop, QString* error) {
    Result result{folderPath, type, 0, 0, {}};
    // The typed name as the system spells it, so "com.apple.quarantine" finds
    // "user.com.apple.quarantine"; one name per item, by its bytes or else an equivalent spelling.
    const NameMatcher wanted(systemAttributeName(type));
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink)
            return;
        ++result.itemsWalked;
        QList<QByteArray> names;
        try {
            names = listXattrs(item.path);
        } catch (const PosixError& failure) {
            onError(failure.description());
            return;
        }
        if (const std::optional<qsizetype> match = wanted.indexIn(names)) {
            const QByteArray& name = names.at(*match);
            try {
                const qsizetype size = getXattr(item.path, name).size();
                removeXattr(item.path, name);
                result.removals.append(QFile::decodeName(item.path) +
                                       QStringLiteral(": %1  bytes.").arg(size));
                ++result.removed;
            } catch (const PosixError& failure) {
                onError(failure.description());
            }
        }
    };
    if (!FolderWalk::walk(folderPath, visit, onError, stop, error))
        return std::nullopt;
    return result;
}

QString StripWalk::report(const Result& result) {
    // The type and the path are appended, never substituted: a "%1" typed in them stays text.
    QString text = QStringLiteral("Stripped %1 xattrs of type ").arg(result.removed) + result.type +
                   QStringLiteral(" from %1 files in  ").arg(result.itemsWalked) +
                   result.folderPath + QStringLiteral("\n\n");
    for (const QString& removal : result.removals)
        text += removal + u'\n';
    return text;
}

} // namespace palvorn
