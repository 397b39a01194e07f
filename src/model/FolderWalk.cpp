#include "model/FolderWalk.h"

#include "model/AttributeName.h"
#include "model/FolderStream.h"
#include "model/PosixError.h"
#include "model/WalkProgress.h"
#include "model/XattrAccess.h"

#include <fcntl.h>

namespace palvorn {

namespace {

class Walker {
public:
    Walker(const FolderWalk::Visitor& visit, const FolderWalk::ErrorSink& onError,
           const FolderWalk::Options& options, dev_t device)
        : m_visit(visit), m_onError(onError), m_options(options), m_device(device) {}

    // One reusable path buffer; every item's path is the folder's path plus its name. Its size
    // is the deepest path met; one open descriptor per folder level is held.
    void walkContents(FolderStream& folder, QByteArray& path) {
        if (m_options.progress)
            m_options.progress->enterFolder(path);
        if (m_options.folderEntered)
            m_options.folderEntered(path);
        const qsizetype base = path.size();
        while (!FolderWalk::stopped(m_options)) {
            const std::optional<FolderStream::Entry> entry = folder.next();
            if (!entry) {
                if (folder.readError() != 0 && m_onError) {
                    path.truncate(base);
                    m_onError(path, PosixError::describe(folder.readError()));
                }
                return;
            }
            path.truncate(base);
            path.append('/').append(entry->name);
            m_visit({path, folder.fd(), entry->name, entry->isSymbolicLink});
            if (!entry->isSymbolicLink && m_options.progress)
                m_options.progress->countItem();
            if (entry->isFolder)
                descend(folder.fd(), entry->name, path);
        }
    }

private:
    // A folder swapped for a link since it was listed is refused, not entered.
    void descend(int parent, const char* name, QByteArray& path) {
        int code = 0;
        const std::unique_ptr<FolderStream> folder = FolderStream::open(parent, name, false, &code);
        if (!folder) {
            if (m_onError)
                m_onError(path, PosixError::describe(code));
            return;
        }
        if (m_options.oneFileSystem && folder->device() != m_device)
            return;
        walkContents(*folder, path);
    }

    const FolderWalk::Visitor& m_visit;
    const FolderWalk::ErrorSink& m_onError;
    const FolderWalk::Options& m_options;
    const dev_t m_device;
};

} // namespace

std::unique_ptr<FolderStream> FolderWalk::openStart(const QString& folder, QByteArray* path,
                                                    QString* error) {
    *path = nativePath(folder);
    // The folder given is taken as the kernel resolves it; only what lies below it is guarded.
    int code = 0;
    std::unique_ptr<FolderStream> stream =
        FolderStream::open(AT_FDCWD, path->constData(), true, &code);
    if (!stream) {
        if (error)
            *error = displayName(*path) + QStringLiteral(": ") + PosixError::describe(code);
        return nullptr;
    }
    // Items are the folder's path, a slash and their names; "/" itself contributes no characters.
    while (path->endsWith('/'))
        path->chop(1);
    return stream;
}

bool FolderWalk::walk(const QString& folder, const Visitor& visit, const ErrorSink& onError,
                      const Options& options, QString* error) {
    QByteArray path;
    const std::unique_ptr<FolderStream> start = openStart(folder, &path, error);
    if (!start)
        return false;
    path.reserve(4096);
    Walker(visit, onError, options, start->device()).walkContents(*start, path);
    return true;
}

} // namespace palvorn
