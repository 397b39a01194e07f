#include "stripper/StripBackup.h"

#include "model/AttributeDump.h"
#include "model/FolderItemNames.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <QSaveFile>

namespace palvorn {

StripBackup::Result StripBackup::write(const QString& folderPath, const QString& type,
                                       const FolderWalk::Options& options,
                                       const QString& backupPath) {
    Result result;
    QSaveFile file(backupPath);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = backupPath + QStringLiteral(": ") + file.errorString();
        return result;
    }
    // The same name the strip will match on each item.
    const NameMatcher matcher(systemAttributeName(type));
    FolderItemNames listed;
    bool written = true;
    // Items the strip cannot read it cannot remove either, and reports them itself.
    const auto visit = [&](const FolderWalk::Item& item) {
        if (item.isSymbolicLink || !written)
            return;
        try {
            const QList<QByteArrayView>& names = listed.read(item.folderFd, item.name);
            const std::optional<qsizetype> match = matcher.indexIn(names);
            if (!match)
                return;
            const QByteArrayView name = names.at(*match);
            const QByteArray value = FolderXattrAccess::get(item.folderFd, item.name, name.data());
            const QByteArray block = AttributeDump::header(item.path) +
                                     AttributeDump::line(name, value, DumpEncoding::Base64) + '\n';
            written = file.write(block) == block.size();
            ++result.saved;
        } catch (const PosixError&) {
        }
    };
    QString error;
    if (!FolderWalk::walk(folderPath, visit, {}, options, &error)) {
        result.error = error;
        return result;
    }
    if (FolderWalk::stopped(options)) {
        result.error =
            backupPath + QStringLiteral(": stopped before the restore file was complete");
        return result;
    }
    if (!written || !file.commit())
        result.error = backupPath + QStringLiteral(": ") + file.errorString();
    return result;
}

QString StripBackup::reportLine(const QString& backupPath, qint64 saved) {
    return QStringLiteral("\nRestore file (%1 xattrs): ").arg(saved) + backupPath + u'\n';
}

} // namespace palvorn
