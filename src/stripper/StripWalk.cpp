#include "stripper/StripWalk.h"

#include "model/AttributeName.h"
#include "model/ByteText.h"
#include "model/DumpReader.h"
#include "model/FolderItemNames.h"
#include "model/FolderText.h"
#include "model/FolderXattrAccess.h"
#include "model/NameMatcher.h"
#include "model/ParallelFolderWalk.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <QFile>

namespace palvorn {

namespace {

// The restore file, read one entry ahead of the walk: its entries are in walk order.
class RestoreEntries {
public:
    RestoreEntries(QFile& file, const QString& folderPath, DumpReader::ProblemSink problem)
        : m_reader(file, std::move(problem)), m_walkedFolder(trimmed(nativePath(folderPath))),
          m_restoredFolder(trimmed(nativePath(FolderText::absolutePath(folderPath)))) {
        m_pending = m_reader.next();
    }

    // The entry the file holds for this item, if it is the next one; taken either way.
    std::optional<DumpEntry> entryFor(const QByteArray& path) {
        // Its paths are absolute; the walk's begin with the folder as given.
        if (!m_pending || m_pending->path != m_restoredFolder + path.mid(m_walkedFolder.size()))
            return std::nullopt;
        std::optional<DumpEntry> entry = std::move(m_pending);
        m_pending = m_reader.next();
        return entry;
    }

private:
    static QByteArray trimmed(QByteArray path) {
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        return path;
    }

    DumpReader m_reader;
    const QByteArray m_walkedFolder;
    const QByteArray m_restoredFolder;
    std::optional<DumpEntry> m_pending;
};

// Probes list, match, read and (without a restore file) remove; the merge reports in walk order.
// With a restore file the merge removes, once the file's next entry has confirmed the value.
class StripItems {
public:
    struct Outcome {
        bool listed = false;
        QString failure;  // the listing's, or the read's or removal's of the matching name
        QByteArray name;  // the matching name; empty when none
        QByteArray value; // kept only for a restore file's check
        qsizetype size = 0;
        qsizetype bytes() const { return value.size(); }
    };
    struct Scratch {
        FolderItemNames names;
    };

    StripItems(StripWalk::Result& result, const QString& type, const WalkErrors::LineSink& onError)
        : m_result(result), m_matcher(systemAttributeName(type)), m_onError(onError) {}

    void useRestoreFile(QFile& file, const QString& folderPath) {
        const QByteArray restorePath = nativePath(file.fileName());
        m_restore.emplace(file, folderPath, [this, restorePath](qint64 line, const QString& text) {
            show(m_result.errors.add(restorePath, QStringLiteral("line %1: ").arg(line) + text));
        });
    }

    bool mergeNeedsFolder() const { return m_restore.has_value(); }

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        outcome.listed = false;
        outcome.failure.clear();
        outcome.name.clear();
        outcome.value.clear();
        if (item.isSymbolicLink)
            return;
        std::optional<qsizetype> match;
        try {
            const QList<QByteArrayView>& names = scratch.names.read(item.folderFd, item.name);
            if ((match = m_matcher.indexIn(names)))
                outcome.name = names.at(*match).toByteArray();
        } catch (const PosixError& failure) {
            outcome.failure = failure.description();
            return;
        }
        outcome.listed = true;
        if (!match)
            return;
        try {
            QByteArray value =
                FolderXattrAccess::get(item.folderFd, item.name, outcome.name.constData());
            outcome.size = value.size();
            if (m_restore)
                outcome.value = std::move(value);
            else
                FolderXattrAccess::remove(item.folderFd, item.name, outcome.name.constData());
        } catch (const PosixError& failure) {
            outcome.failure = failure.description();
        }
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (item.isSymbolicLink)
            return;
        ++m_result.itemsWalked;
        const std::optional<DumpEntry> entry =
            m_restore ? m_restore->entryFor(item.path) : std::nullopt;
        if (!outcome.listed) {
            show(m_result.errors.add(item.path, outcome.failure));
            return;
        }
        if (outcome.name.isEmpty())
            return;
        if (!outcome.failure.isEmpty()) {
            show(m_result.errors.add(item.path, outcome.name, outcome.failure));
            return;
        }
        if (m_restore && !removeAsRestorable(item, outcome, entry))
            return;
        m_result.removals.append(displayName(item.path) +
                                 QStringLiteral(": %1  bytes.").arg(outcome.size));
        ++m_result.removed;
    }

    FolderWalk::ErrorSink folderFailed() {
        return [this](const QByteArray& path, const QString& reason) {
            show(m_result.errors.add(path, reason));
        };
    }

private:
    bool removeAsRestorable(const FolderWalk::Item& item, const Outcome& outcome,
                            const std::optional<DumpEntry>& entry) {
        if (!entry || entry->name != outcome.name) {
            show(m_result.errors.add(
                item.path, outcome.name,
                QStringLiteral("not removed: the restore file does not hold it")));
            return false;
        }
        if (entry->value != outcome.value) {
            show(m_result.errors.add(
                item.path, outcome.name,
                QStringLiteral("not removed: its value changed after the restore file was "
                               "written")));
            return false;
        }
        try {
            FolderXattrAccess::remove(item.folderFd, item.name, outcome.name.constData());
            return true;
        } catch (const PosixError& failure) {
            show(m_result.errors.add(item.path, outcome.name, failure.description()));
            return false;
        }
    }

    void show(const QString& line) const {
        if (!line.isEmpty() && m_onError)
            m_onError(line);
    }

    StripWalk::Result& m_result;
    // The typed name as the system spells it, so "com.apple.quarantine" finds
    // "user.com.apple.quarantine"; one name per item, by its bytes or else an equivalent spelling.
    const NameMatcher m_matcher;
    const WalkErrors::LineSink& m_onError;
    std::optional<RestoreEntries> m_restore;
};

} // namespace

std::optional<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                const FolderWalk::Options& options,
                                                const WalkErrors::LineSink& onError, QString* error,
                                                const QString& restoreFile) {
    Result result{folderPath, type, 0, 0, {}, false, {}};
    StripItems items(result, type, onError);
    QFile restore(restoreFile);
    if (!restoreFile.isEmpty()) {
        if (!restore.open(QIODevice::ReadOnly)) {
            *error =
                displayName(nativePath(restoreFile)) + QStringLiteral(": ") + restore.errorString();
            return std::nullopt;
        }
        items.useRestoreFile(restore, folderPath);
    }
    if (!ParallelFolderWalk::walk(items, folderPath, items.folderFailed(), options, error))
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
