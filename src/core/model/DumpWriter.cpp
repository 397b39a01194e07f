#include "core/model/DumpWriter.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/Error.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/ParallelFolderWalk.h"
#include "core/model/XattrAccess.h"

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

// What could not be read of one item: its listing (no name) or one attribute's value.
struct Problem {
    QByteArray name;
    QString reason;
};

// One item's block, whichever calls reach its attributes: empty when it has no readable
// attribute. What fails is added to problems and left out.
template <typename ListNames, typename ReadValue>
QByteArray blockOf(const QByteArray& path, ValueEncoding encoding, const NameFilter& filter,
                   const ListNames& listNames, const ReadValue& readValue,
                   std::vector<Problem>& problems) {
    QByteArray list;
    if (const Result<> listed = listNames(list); !listed) {
        problems.push_back({{}, listed.error().reason()});
        return {};
    }
    QByteArray block;
    for (const QByteArray& name : sortedNames(list)) {
        if (!filter.matches(name))
            continue;
        const Result<QByteArray> value = readValue(name.constData());
        if (!value) {
            problems.push_back({name, value.error().reason()});
            continue;
        }
        if (block.isEmpty())
            block = AttributeDump::header(path);
        block += AttributeDump::line(name, *value, encoding);
    }
    if (!block.isEmpty())
        block += '\n';
    return block;
}

// The items below a folder: probes read each item's block on any thread, the merge writes the
// blocks and reports the problems in walk order.
class TreeItems {
public:
    struct Outcome {
        QByteArray block;
        std::vector<Problem> problems;
        qsizetype bytes() const { return block.size(); }
    };
    struct Scratch {};
    // The item's path as the block names it, from the walk's; what to do with blocks and problems.
    using Renamed = std::function<QByteArray(const QByteArray& walkedPath)>;
    using Write = std::function<void(const QByteArray& block)>;
    using Report = std::function<void(const QByteArray& path, const Problem& problem)>;

    TreeItems(ValueEncoding encoding, NameFilter filter, Renamed renamed, Write write,
              Report report)
        : m_encoding(encoding), m_filter(std::move(filter)), m_renamed(std::move(renamed)),
          m_write(std::move(write)), m_report(std::move(report)) {}

    void probe(const FolderWalk::Item& item, Scratch&, Outcome& outcome) const {
        outcome.problems.clear();
        outcome.block = blockOf(
            m_renamed(item.path()), m_encoding, m_filter,
            [&item](QByteArray& list) {
                return FolderXattrAccess::list(item.folderFd, item.name, list);
            },
            [&item](const char* name) {
                return FolderXattrAccess::get(item.folderFd, item.name, name);
            },
            outcome.problems);
    }

    void merge(const FolderWalk::Item& item, Outcome& outcome) {
        if (!outcome.problems.empty()) {
            const QByteArray path = m_renamed(item.path());
            for (const Problem& problem : outcome.problems)
                m_report(path, problem);
        }
        if (!outcome.block.isEmpty())
            m_write(outcome.block);
    }

private:
    const ValueEncoding m_encoding;
    const NameFilter m_filter;
    const Renamed m_renamed;
    const Write m_write;
    const Report m_report;
};

} // namespace

DumpWriter::DumpWriter(QIODevice& out, ValueEncoding encoding, ProblemSink problem)
    : m_out(out), m_encoding(encoding), m_problem(std::move(problem)) {}

void DumpWriter::dumpItem(const QByteArray& path) {
    dumpListed(
        path, [&path](QByteArray& list) { return readXattrNameList(path, list); },
        [&path](const char* name) { return getListedXattr(path, name); });
}

void DumpWriter::dumpListed(const QByteArray& path, const ListNames& listNames,
                            const ReadValue& readValue) {
    if (m_writeFailed)
        return;
    std::vector<Problem> problems;
    const QByteArray block = blockOf(path, m_encoding, m_filter, listNames, readValue, problems);
    for (const Problem& problem : problems)
        report(path, problem.reason, problem.name);
    write(block);
}

void DumpWriter::dumpTree(const QByteArray& path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) {
        report(path, Error::describe(errno));
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
    TreeItems items(
        m_encoding, m_filter,
        [&path, walkedPrefix](const QByteArray& walked) {
            return path + walked.sliced(walkedPrefix);
        },
        [this](const QByteArray& block) { write(block); },
        [this](const QByteArray& item, const Problem& problem) {
            report(item, problem.reason, problem.name);
        });
    const auto folderFailed = [this](const QByteArray& folder, const QString& reason) {
        report(folder, reason);
    };
    FolderWalk::Options options;
    options.stop = &m_writeFailed;
    if (const Result<> walked =
            ParallelFolderWalk::walk(items, ByteText::decode(path), folderFailed, options);
        !walked) {
        m_anyProblem = true;
        m_problem(walked.error());
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
        report(path, Error::describe(errno));
        return;
    }
    const auto closeFolder = qScopeGuard([folderFd] { ::close(folderFd); });
    dumpListed(
        path,
        [&](QByteArray& list) { return FolderXattrAccess::list(folderFd, name.constData(), list); },
        [&](const char* listedName) {
            return FolderXattrAccess::get(folderFd, name.constData(), listedName);
        });
}

void DumpWriter::write(const QByteArray& bytes) {
    if (m_writeFailed || bytes.isEmpty())
        return;
    if (m_out.write(bytes) != bytes.size()) {
        m_writeFailed.store(true);
        m_anyProblem = true;
    }
}

void DumpWriter::report(const QByteArray& path, const QString& reason, const QByteArray& name) {
    m_anyProblem = true;
    m_problem(Error({}, reason, ByteText::decode(path), name));
}

} // namespace palvorn
