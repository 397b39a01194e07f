#include "model/DumpWriter.h"

#include "model/AttributeName.h"
#include "model/ByteText.h"
#include "model/FolderWalk.h"
#include "model/FolderXattrAccess.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QIODevice>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// getfattr prints names sorted by their bytes, whatever order the system lists them in.
QList<QByteArray> sortedNames(QByteArrayView list) {
    QList<QByteArrayView> views;
    splitNameList(list, views);
    QList<QByteArray> names;
    names.reserve(views.size());
    for (const QByteArrayView name : std::as_const(views))
        names.append(name.toByteArray());
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
    });
    return names;
}

} // namespace

DumpWriter::DumpWriter(QIODevice& out, DumpEncoding encoding, ProblemSink problem)
    : m_out(out), m_encoding(encoding), m_problem(std::move(problem)) {}

void DumpWriter::dumpItem(const QByteArray& path) {
    dumpListed(
        path, [&path](QByteArray& list) { readXattrNameList(path, list); },
        [&path](const char* name) { return getListedXattr(path, name); });
}

void DumpWriter::dumpListed(const QByteArray& path, const ListNames& listNames,
                            const ReadValue& readValue) {
    if (m_writeFailed)
        return;
    QByteArray list;
    try {
        listNames(list);
    } catch (const PosixError& error) {
        report(path, error.description());
        return;
    }
    bool started = false;
    for (const QByteArray& name : sortedNames(list)) {
        if (!m_filter.matches(name))
            continue;
        QByteArray value;
        try {
            value = readValue(name.constData());
        } catch (const PosixError& error) {
            report(path, name, error.description());
            continue;
        }
        if (!started)
            write(AttributeDump::header(path));
        started = true;
        write(AttributeDump::line(name, value, m_encoding));
    }
    if (started)
        write("\n");
}

void DumpWriter::dumpTree(const QByteArray& path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) {
        report(path, PosixError::describe(errno));
        return;
    }
    // A link given here is not followed: its own attributes are dumped, as getfattr -h does.
    if (S_ISLNK(status.st_mode)) {
        dumpLink(path);
        return;
    }
    dumpItem(path);
    if (!S_ISDIR(status.st_mode))
        return;
    // Items below are reached through their folder's descriptor and never followed: a link's
    // own attributes are dumped, as getfattr -h does.
    // The walk drops the folder's trailing slashes; getfattr joins to the path as given.
    qsizetype walkedPrefix = path.size();
    while (walkedPrefix > 0 && path.at(walkedPrefix - 1) == '/')
        --walkedPrefix;
    const auto visit = [&](const FolderWalk::Item& item) {
        dumpListed(
            path + item.path.sliced(walkedPrefix),
            [&item](QByteArray& list) { FolderXattrAccess::list(item.folderFd, item.name, list); },
            [&item](const char* name) {
                return FolderXattrAccess::get(item.folderFd, item.name, name);
            });
    };
    const auto folderFailed = [this](const QByteArray& folder, const QString& reason) {
        report(folder, reason);
    };
    FolderWalk::Options options;
    options.stop = &m_writeFailed;
    QString error;
    if (!FolderWalk::walk(ByteText::decode(path), visit, folderFailed, options, &error)) {
        m_anyProblem = true;
        m_problem(error);
    }
}

void DumpWriter::dumpLink(const QByteArray& path) {
    // Only through its folder can a link's own attributes be named; the folder is the one the
    // kernel resolves from the path given, as for any argument.
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? "." : slash == 0 ? "/" : path.first(slash);
    const QByteArray name = path.sliced(slash + 1);
    const int folderFd =
        ::open(folder.constData(), FolderXattrAccess::placeOnly | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        report(path, PosixError::describe(errno));
        return;
    }
    const auto closeFolder = qScopeGuard([folderFd] { ::close(folderFd); });
    dumpListed(
        path, [&](QByteArray& list) { FolderXattrAccess::list(folderFd, name.constData(), list); },
        [&](const char* listedName) {
            return FolderXattrAccess::get(folderFd, name.constData(), listedName);
        });
}

void DumpWriter::write(const QByteArray& bytes) {
    if (m_writeFailed)
        return;
    if (m_out.write(bytes) != bytes.size()) {
        m_writeFailed.store(true);
        m_anyProblem = true;
    }
}

void DumpWriter::report(const QByteArray& path, const QString& reason) {
    m_anyProblem = true;
    m_problem(displayName(path) + u": "_s + reason);
}

void DumpWriter::report(const QByteArray& path, const QByteArray& name, const QString& reason) {
    m_anyProblem = true;
    m_problem(displayName(path) + u": "_s + displayName(name) + u": "_s + reason);
}

} // namespace palvorn
