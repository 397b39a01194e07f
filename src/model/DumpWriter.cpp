#include "model/DumpWriter.h"

#include "model/AttributeName.h"
#include "model/PosixError.h"
#include "model/XattrAccess.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#include <QIODevice>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

// getfattr prints names sorted by their bytes, whatever order the system lists them in.
QList<QByteArray> sortedNames(QByteArrayView list) {
    QList<QByteArray> names;
    for (qsizetype start = 0; start < list.size();) {
        qsizetype end = list.indexOf('\0', start);
        if (end < 0)
            end = list.size();
        if (end > start)
            names.append(list.sliced(start, end - start).toByteArray());
        start = end + 1;
    }
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
    if (S_ISLNK(status.st_mode))
        return;
    dumpItem(path);
    if (S_ISDIR(status.st_mode))
        walkBelow(path);
}

void DumpWriter::walkBelow(const QByteArray& folder) {
    struct Level {
        QByteArray path;
        DIR* dir;
    };
    std::vector<Level> levels;
    const auto open = [&](const QByteArray& path) {
        if (DIR* dir = ::opendir(path.constData()))
            levels.push_back({path, dir});
        else
            report(path, PosixError::describe(errno));
    };
    open(folder);
    while (!levels.empty()) {
        if (m_writeFailed) {
            ::closedir(levels.back().dir);
            levels.pop_back();
            continue;
        }
        DIR* dir = levels.back().dir;
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                report(levels.back().path, PosixError::describe(errno));
            ::closedir(dir);
            levels.pop_back();
            continue;
        }
        const QByteArrayView name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        // Joined as given, even after a trailing slash, as getfattr joins them.
        const QByteArray child = levels.back().path + '/' + name.toByteArray();
        struct stat status {};
        if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            report(child, PosixError::describe(errno));
            continue;
        }
        if (S_ISLNK(status.st_mode))
            continue;
        dumpItem(child);
        if (S_ISDIR(status.st_mode))
            open(child);
    }
}

void DumpWriter::write(const QByteArray& bytes) {
    if (m_writeFailed)
        return;
    if (m_out.write(bytes) != bytes.size()) {
        m_writeFailed = true;
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
