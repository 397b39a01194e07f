#include "stripper/StripBackup.h"

#include "model/AttributeDump.h"
#include "model/AttributeName.h"
#include "model/FolderItemNames.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/ParallelFolderWalk.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <QSaveFile>

namespace palvorn {

namespace {

QString shown(const QString& path) {
    return displayName(nativePath(path));
}

// Probes read the value the strip will match on each item and make its block of the file; the
// merge writes the blocks in walk order. Items the strip cannot read it cannot remove either, and
// reports them itself.
class BackupItems {
public:
    struct Outcome {
        QByteArray block; // empty when there is nothing to save
        qsizetype bytes() const { return block.size(); }
    };
    struct Scratch {
        FolderItemNames names;
    };

    BackupItems(QByteArray name, QSaveFile& file, qint64& saved)
        : m_matcher(std::move(name)), m_file(file), m_saved(saved) {}

    bool mergeNeedsFolder() const { return false; }
    bool written() const { return m_written; }

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        outcome.block.clear();
        if (item.isSymbolicLink)
            return;
        try {
            const QList<QByteArrayView>& names = scratch.names.read(item.folderFd, item.name);
            const std::optional<qsizetype> match = m_matcher.indexIn(names);
            if (!match)
                return;
            const QByteArrayView name = names.at(*match);
            const QByteArray value = FolderXattrAccess::get(item.folderFd, item.name, name.data());
            outcome.block = AttributeDump::header(item.path) +
                            AttributeDump::line(name, value, DumpEncoding::Base64) + '\n';
        } catch (const PosixError&) {
        }
    }

    void merge(const FolderWalk::Item&, Outcome& outcome) {
        if (outcome.block.isEmpty() || !m_written)
            return;
        m_written = m_file.write(outcome.block) == outcome.block.size();
        ++m_saved;
    }

private:
    const NameMatcher m_matcher;
    QSaveFile& m_file;
    qint64& m_saved;
    bool m_written = true;
};

} // namespace

StripBackup::Result StripBackup::write(const QString& folderPath, const QString& type,
                                       const FolderWalk::Options& options,
                                       const QString& backupPath) {
    Result result;
    QSaveFile file(backupPath);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = shown(backupPath) + QStringLiteral(": ") + file.errorString();
        return result;
    }
    BackupItems items(systemAttributeName(type), file, result.saved);
    QString error;
    if (!ParallelFolderWalk::walk(items, folderPath, {}, options, &error)) {
        result.error = error;
        return result;
    }
    if (FolderWalk::stopped(options)) {
        result.error =
            shown(backupPath) + QStringLiteral(": stopped before the restore file was complete");
        return result;
    }
    // The flush is checked on its own: a commit does not notice a buffered write that failed.
    if (!items.written() || !file.flush() || !file.commit())
        result.error = shown(backupPath) + QStringLiteral(": ") + file.errorString();
    return result;
}

QString StripBackup::reportLine(const QString& backupPath, qint64 saved) {
    return QStringLiteral("\nRestore file (%1 xattrs): ").arg(saved) + shown(backupPath) + u'\n';
}

} // namespace palvorn
