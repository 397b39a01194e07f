#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
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
// Memory: one line at a time, at most maxLineLength bytes (a longer line is reported and
// skipped); an attribute's longest line, a 64 KiB value as escaped text, is a quarter of that.
// Lines are read through one chunk buffer of chunkSize bytes.
class DumpReader {
public:
    using ProblemSink = std::function<void(qint64 line, const QString& text)>;
    static constexpr qsizetype maxLineLength = 1 << 20;
    static constexpr qsizetype chunkSize = 1 << 16;

    DumpReader(QIODevice& in, ProblemSink problem);

    // The next attribute line, or none at the end of the input.
    std::optional<DumpEntry> next();

private:
    std::optional<QByteArray> readLine();
    void skipRestOfLine();

    QIODevice& m_in;
    ProblemSink m_problem;
    QByteArray m_chunk; // readLine(char*, n) stores at most n - 1 bytes and a NUL
    qint64 m_line = 0;
    QByteArray m_path;
    bool m_inBlock = false;
    bool m_skippingBlock = false;
};

} // namespace palvorn
