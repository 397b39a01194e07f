#include "core/stripper/StripWalk.h"

#include "core/model/AttributeDump.h"
#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/Error.h"
#include "core/model/FolderItemNames.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/NameMatcher.h"
#include "core/model/ParallelFolderWalk.h"
#include "core/model/XattrAccess.h"
#include "core/stripper/RestoreFile.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace palvorn {

namespace {

// Probes list, match, read and remove, so that removals spread over the threads; the merge
// reports in walk order.
class StripItems {
public:
    struct Outcome {
        bool listed = false;
        QString failure;  // the listing's, or the read's or removal's of the matching name
        QByteArray name;  // the matching name; empty when none
        QByteArray value; // read only where the merging thread removes
        qsizetype size = 0;
        bool removed = false;
        QString line; // the report's line, should the value be removed
        qsizetype bytes() const { return value.size() + line.size() * qsizetype(sizeof(QChar)); }
    };
    struct Scratch {
        FolderItemNames names;
    };

    StripItems(StripWalk::Result& result, const QString& type, const WalkErrors::LineSink& onError)
        : m_result(result), m_matcher(systemAttributeName(type)), m_onError(onError) {}

    // Only the value's size is needed for the report: one call, and the removal right after.
    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        if (!match(item, scratch, outcome))
            return;
        const Result<> removed =
            FolderXattrAccess::size(item.folderFd, item.name, outcome.name.constData())
                .and_then([&](qint64 size) {
                    outcome.size = size;
                    return FolderXattrAccess::remove(item.folderFd, item.name,
                                                     outcome.name.constData());
                });
        if (!removed) {
            outcome.failure = removed.error().reason();
            return;
        }
        outcome.removed = true;
        makeLine(item, outcome);
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (item.isSymbolicLink)
            return;
        ++m_result.itemsWalked;
        if (!outcome.listed) {
            show(m_result.errors.add(item.path(), outcome.failure));
            return;
        }
        if (outcome.name.isEmpty())
            return;
        if (!outcome.failure.isEmpty()) {
            show(m_result.errors.add(item.path(), outcome.name, outcome.failure));
            return;
        }
        // Read, and not removed: the walk stopped first.
        if (!outcome.removed)
            return;
        m_result.removals.append(std::move(outcome.line));
        ++m_result.removed;
    }

    FolderWalk::ErrorSink folderFailed() {
        return [this](const QByteArray& path, const QString& reason) {
            show(m_result.errors.add(path, reason));
        };
    }

protected:
    // Made by the probe, on any thread: the merge, on one, only keeps it.
    static void makeLine(const FolderWalk::Item& item, Outcome& outcome) {
        outcome.line = displayName(item.path()) + QStringLiteral(": ") +
                       QString::number(outcome.size) + QStringLiteral("  bytes.");
    }

    // Lists the item's names and finds the one that matches; false when there is nothing to
    // remove.
    bool match(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        // Emptied, not freed: the outcome is used again for later items.
        outcome.listed = false;
        if (!outcome.failure.isEmpty())
            outcome.failure.clear();
        outcome.name.truncate(0);
        outcome.value.truncate(0);
        outcome.removed = false;
        outcome.line.clear();
        if (item.isSymbolicLink)
            return false;
        if (const Result<> read = scratch.names.read(item.folderFd, item.name); !read) {
            outcome.failure = read.error().reason();
            return false;
        }
        const QList<QByteArrayView>& names = scratch.names.names();
        const std::optional<qsizetype> match = m_matcher.indexIn(names);
        if (match)
            outcome.name = names.at(*match).toByteArray();
        outcome.listed = true;
        return match.has_value();
    }

    void show(const QString& line) const {
        if (!line.isEmpty() && m_onError)
            m_onError(line);
    }

    StripWalk::Result& m_result;

private:
    // The typed name as the system spells it, so "com.apple.quarantine" finds
    // "user.com.apple.quarantine"; one name per item, by its bytes or else an equivalent spelling.
    const NameMatcher m_matcher;
    const WalkErrors::LineSink& m_onError;
};

// With a restore file, probes only read; the merging thread settles each part in walk order: it
// appends the values it will remove to the file, and then removes each one that still holds
// what was written, checked right before its removal through the same folder descriptor.
class JournaledStripItems : public StripItems {
public:
    JournaledStripItems(StripWalk::Result& result, const QString& type,
                        const WalkErrors::LineSink& onError, const FolderWalk::Options& options,
                        StripJournal& file)
        : StripItems(result, type, onError), m_options(options), m_file(file),
          m_walkedFolder(withoutTrailingSlashes(nativePath(result.folderPath))) {}

    // The file names each item by the physical path of the folder walked, no link in it, as
    // palvorn-cli restore reaches items without following one: a folder given through a link, or
    // relative to the current folder, restores from anywhere. The path is checked to lead to the
    // folder the walk opened.
    palvorn::Result<> begin(int folderFd) {
        const QByteArray given = nativePath(m_result.folderPath);
        char* resolved = ::realpath(given.constData(), nullptr);
        if (!resolved) {
            const QString reason = Error::describe(errno);
            return failure(Error({}, displayName(given) + QStringLiteral(": ") + reason, {}));
        }
        m_physicalFolder = withoutTrailingSlashes(resolved);
        std::free(resolved);
        struct stat walked = {}, named = {};
        if (::fstat(folderFd, &walked) != 0 ||
            ::lstat(m_physicalFolder.isEmpty() ? "/" : m_physicalFolder.constData(), &named) != 0 ||
            walked.st_dev != named.st_dev || walked.st_ino != named.st_ino)
            return failure(
                Error({},
                      displayName(given) +
                          QStringLiteral(": changed while its physical path was looked up"),
                      {}));
        return {};
    }

    void probe(const FolderWalk::Item& item, Scratch& scratch, Outcome& outcome) const {
        if (!match(item, scratch, outcome))
            return;
        Result<QByteArray> value =
            FolderXattrAccess::get(item.folderFd, item.name, outcome.name.constData());
        if (!value) {
            outcome.failure = value.error().reason();
            return;
        }
        outcome.value = std::move(*value);
        outcome.size = outcome.value.size();
        makeLine(item, outcome);
    }

    template <typename Part> bool settle(Part& part) {
        collectCandidates(part);
        if (m_candidates.empty() || FolderWalk::stopped(m_options))
            return true;
        const int folderFd = part.folderFd();
        if (folderFd < 0) // the walk reports the folder; nothing in it is removed
            return true;
        const Result<qint64> offset = m_file.append(m_blocks);
        if (!offset) {
            m_result.restoreFailure = offset.error();
            return false;
        }
        for (const Candidate& candidate : m_candidates) {
            Outcome& outcome = part.outcome(candidate.index);
            outcome.removed = !FolderWalk::stopped(m_options) &&
                              removeUnchanged(folderFd, part.name(candidate.index), outcome);
            outcome.value.clear();
            if (!outcome.removed)
                m_file.takeOutLater(*offset + candidate.at, candidate.length);
        }
        return true;
    }

private:
    struct Candidate {
        std::size_t index;
        qsizetype at; // in the blocks
        qsizetype length;
    };

    static QByteArray withoutTrailingSlashes(QByteArray path) {
        while (path.endsWith('/'))
            path.chop(1);
        return path;
    }

    // The part's values to remove, as the file's blocks: one per item, under the item's physical
    // path.
    template <typename Part> void collectCandidates(Part& part) {
        m_candidates.clear();
        m_blocks.resize(0);
        for (std::size_t i = 0; i < part.size(); ++i) {
            const Outcome& outcome = part.outcome(i);
            if (!outcome.listed || outcome.name.isEmpty() || !outcome.failure.isEmpty())
                continue;
            m_path.resize(0);
            m_path.append(m_physicalFolder)
                .append(QByteArrayView(part.folderPath()).sliced(m_walkedFolder.size()))
                .append('/')
                .append(part.name(i));
            const qsizetype at = m_blocks.size();
            m_blocks.append(AttributeDump::header(m_path))
                .append(AttributeDump::line(outcome.name, outcome.value, ValueEncoding::Base64))
                .append('\n');
            m_candidates.push_back({i, at, m_blocks.size() - at});
        }
    }

    // The system has no compare-and-remove: the value is read again and removed right after, so
    // that only a writer within those two calls can slip a value in between.
    bool removeUnchanged(int folderFd, const char* itemName, Outcome& outcome) {
        const Result<bool> same = FolderXattrAccess::holds(
            folderFd, itemName, outcome.name.constData(), outcome.value, m_current);
        if (same && !*same) {
            outcome.failure = QStringLiteral("changed since the restore file was written; kept");
            return false;
        }
        const Result<> removed = same.and_then([&](bool) {
            return FolderXattrAccess::remove(folderFd, itemName, outcome.name.constData());
        });
        if (!removed) {
            outcome.failure = removed.error().reason();
            return false;
        }
        return true;
    }

    const FolderWalk::Options& m_options;
    StripJournal& m_file;
    const QByteArray m_walkedFolder;
    QByteArray m_physicalFolder;
    // Reused from part to part: at most one part's blocks (its values are at most chunkBytes and
    // one value more, in base64) and one value read again.
    std::vector<Candidate> m_candidates;
    QByteArray m_blocks;
    QByteArray m_path;
    QByteArray m_current;
};

} // namespace

palvorn::Result<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                  const FolderWalk::Options& options,
                                                  const WalkErrors::LineSink& onError,
                                                  const QString& restoreFile) {
    if (!restoreFile.isEmpty()) {
        const palvorn::Result<std::unique_ptr<RestoreFile>> file = RestoreFile::open(restoreFile);
        if (!file)
            return failure(file.error());
        palvorn::Result<Result> result = run(folderPath, type, options, onError, **file);
        if (!result)
            return result;
        result->restoreFile = restoreFile;
        // A file that never took its name holds nothing removed: the name keeps what it held.
        if ((*file)->named() || !result->restoreFailure) {
            if (const palvorn::Result<> finished = (*file)->finish(); !finished)
                result->restoreNotCleaned = finished.error();
        }
        result->restoreNamed = (*file)->named();
        return result;
    }
    Result result;
    result.folderPath = folderPath;
    result.type = type;
    StripItems items(result, type, onError);
    if (palvorn::Result<> walked =
            ParallelFolderWalk::walk(items, folderPath, items.folderFailed(), options);
        !walked)
        return failure(std::move(walked.error()));
    result.stopped = FolderWalk::stopped(options);
    return result;
}

palvorn::Result<StripWalk::Result> StripWalk::run(const QString& folderPath, const QString& type,
                                                  const FolderWalk::Options& options,
                                                  const WalkErrors::LineSink& onError,
                                                  StripJournal& journal) {
    Result result;
    result.folderPath = folderPath;
    result.type = type;
    JournaledStripItems items(result, type, onError, options, journal);
    if (palvorn::Result<> walked =
            ParallelFolderWalk::walk(items, folderPath, items.folderFailed(), options);
        !walked)
        return failure(std::move(walked.error()));
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
    // Threads remove out of walk order: what is sure is that the items not walked are untouched.
    if (result.stopped)
        text += QStringLiteral("\nStopped before the end of the walk: %1 xattrs stripped from the "
                               "%2 files walked; the items it did not reach were left as they "
                               "were.\n")
                    .arg(result.removed)
                    .arg(result.itemsWalked);
    text += result.errors.reportText(QStringLiteral("stripped"));
    if (result.restoreFailure)
        text += QStringLiteral("\nThe restore file could not be written: ") +
                result.restoreFailure->lineText() +
                (result.restoreNamed
                     ? QStringLiteral(". The strip stopped there; every value it removed is in "
                                      "the restore file.\n")
                     : QStringLiteral("; nothing was removed.\n"));
    if (result.restoreNotCleaned)
        text += QStringLiteral("\nThe values kept could not be taken out of the restore file (") +
                result.restoreNotCleaned->lineText() +
                QStringLiteral("): restoring it would write them back too.\n");
    if (result.restoreNamed)
        text += QStringLiteral("\nRestore file (%1 xattrs): ").arg(result.removed) +
                displayName(nativePath(result.restoreFile)) + u'\n';
    return text;
}

} // namespace palvorn
