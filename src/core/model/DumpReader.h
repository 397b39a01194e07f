#pragma once

#include "core/model/Error.h"

#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace palvorn {

// One "name=value" line of a dump, decoded, with the file of its block.
struct DumpEntry {
    qint64 line = 0;
    QByteArray path;
    QByteArray name;
    QByteArray value;
};

// Reads a dump line by line as setfattr --restore reads it: "# file: PATH" starts a block, every
// other line up to the next blank line is "name=value" or a bare name (an empty value), and a
// trailing carriage return is ignored. Where setfattr stops at a line outside any block, this
// reader reports the line and skips up to the next blank line; a comment line ("#...", never a
// valid name) is skipped. Each line that cannot be read is reported and the rest goes on. A
// "# file:" line whose path is empty or holds a NUL byte is reported, and its block skipped.
//
// Memory: one buffer that holds the line being read and what was read after it, read chunkSize
// bytes at a time: at most maxLineLength + chunkSize bytes (a longer line is reported and skipped
// without being kept); an attribute's longest line, a 64 KiB value as escaped text, is a quarter
// of the bound. Lines are found in the buffer and never copied on their own.
class DumpReader {
public:
    static constexpr qsizetype maxLineLength = 1 << 20;
    static constexpr qsizetype chunkSize = 1 << 16;

    DumpReader(QIODevice& in, ProblemSink problem);

    // The next attribute line, or none at the end of the input.
    std::optional<DumpEntry> next();

private:
    // The next line without its line feed and trailing carriage returns, valid until the next
    // call; none at the end of the input.
    std::optional<QByteArrayView> readLine();
    // Reads one more chunk after what the buffer holds, or notes the end of the input.
    void readChunk();

    QIODevice& m_in;
    ProblemSink m_problem;
    QByteArray m_buffer;
    qsizetype m_start = 0; // where the unread part of the buffer starts
    bool m_ended = false;
    qint64 m_line = 0;
    QByteArray m_path;
    bool m_inBlock = false;
    bool m_skippingBlock = false;
};

} // namespace palvorn
