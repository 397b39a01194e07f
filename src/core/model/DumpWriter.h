#pragma once

#include "core/model/AttributeDump.h"
#include "core/model/NameFilter.h"

#include <atomic>
#include <functional>

#include <QByteArray>
#include <QString>

class QIODevice;

namespace palvorn {

// Writes the attributes of items in the dump form: one block per item that has at least one
// readable attribute, names in byte order, as getfattr writes them. A failing item or attribute
// is reported and left out; the rest goes on.
//
// Memory: one item's name list (at most 64 KiB, the kernel's limit) and its block (each value at
// most 64 KiB, in its text form at most four times that); below a folder, the blocks the walk
// keeps ahead of its output (see ParallelFolderWalk) and its bounded descriptors.
class DumpWriter {
public:
    using ProblemSink = std::function<void(const QString& text)>;

    DumpWriter(QIODevice& out, ValueEncoding encoding, ProblemSink problem);

    // Only the names the filter takes are read and dumped (by default every name).
    void setNameFilter(NameFilter filter) { m_filter = std::move(filter); }

    // The item at path; a link given here is followed.
    void dumpItem(const QByteArray& path);
    // The item and everything below it, in directory order, each folder before its contents.
    // Links are never followed: a link's own attributes are dumped, the item's too when it is one.
    void dumpTree(const QByteArray& path);

    bool anyProblem() const { return m_anyProblem; }
    // Writing to the output failed; nothing more is written.
    bool writeFailed() const { return m_writeFailed.load(); }

private:
    using ListNames = std::function<void(QByteArray& list)>;
    using ReadValue = std::function<QByteArray(const char* listedName)>;

    // One item's block, whichever calls reach its attributes.
    void dumpListed(const QByteArray& path, const ListNames& listNames, const ReadValue& readValue);
    void dumpLink(const QByteArray& path);
    void write(const QByteArray& bytes);
    // An item's problem: its listing (no name) or one attribute's value.
    void reportProblem(const QByteArray& path, const QByteArray& name, const QString& reason);
    void report(const QByteArray& path, const QString& reason);
    void report(const QByteArray& path, const QByteArray& name, const QString& reason);

    QIODevice& m_out;
    ValueEncoding m_encoding;
    NameFilter m_filter;
    ProblemSink m_problem;
    bool m_anyProblem = false;
    // Also the walk's stop flag: nothing more is walked once the output fails.
    std::atomic_bool m_writeFailed = false;
};

} // namespace palvorn
