#include "model/DumpReader.h"

#include "model/AttributeDump.h"
#include "model/AttributeName.h"

#include <QIODevice>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

constexpr QByteArrayView headerPrefix = "# file: ";

// A path the system cannot be given. An empty one would be taken for the current folder by
// some, and one with a NUL byte (written as \000) would name a shorter path than it shows. The
// line's number names it: a NUL is no byte to put in an error line.
std::optional<QString> whyUnusable(const QByteArray& path) {
    if (path.isEmpty())
        return u"the path is empty"_s;
    if (path.contains('\0'))
        return u"the path holds a NUL byte"_s;
    return std::nullopt;
}

} // namespace

DumpReader::DumpReader(QIODevice& in, ProblemSink problem)
    : m_in(in), m_problem(std::move(problem)), m_chunk(chunkSize + 1, Qt::Uninitialized) {}

std::optional<DumpEntry> DumpReader::next() {
    while (const std::optional<QByteArray> line = readLine()) {
        if (line->isEmpty()) {
            m_inBlock = false;
            m_skippingBlock = false;
            continue;
        }
        if (line->contains('\0')) {
            m_problem(m_line, QStringLiteral("the line holds a NUL byte; skipped"));
            continue;
        }
        if (line->startsWith(headerPrefix)) {
            m_path = AttributeDump::unescapeName(QByteArrayView(*line).sliced(headerPrefix.size()));
            const std::optional<QString> unusable = whyUnusable(m_path);
            if (unusable)
                m_problem(m_line, *unusable + u"; skipped up to the next blank line"_s);
            m_inBlock = !unusable;
            m_skippingBlock = unusable.has_value();
            continue;
        }
        if (!m_inBlock) {
            if (!m_skippingBlock)
                m_problem(m_line, QStringLiteral("no \"# file: PATH\" line before this one; "
                                                 "skipped up to the next blank line"));
            m_skippingBlock = true;
            continue;
        }
        if (line->startsWith('#'))
            continue;
        const qsizetype equals = line->indexOf('=');
        const QByteArrayView nameText =
            equals < 0 ? QByteArrayView(*line) : QByteArrayView(*line).first(equals);
        const QByteArrayView valueText =
            equals < 0 ? QByteArrayView() : QByteArrayView(*line).sliced(equals + 1);
        DumpEntry entry{m_line, m_path, AttributeDump::unescapeName(nameText), {}};
        if (entry.name.isEmpty()) {
            m_problem(m_line, displayName(m_path) + u": the attribute name is empty"_s);
            continue;
        }
        std::optional<QByteArray> value = AttributeDump::decodeValue(valueText);
        if (!value) {
            m_problem(m_line, displayName(m_path) + u": "_s + displayName(entry.name) +
                                  u": the value is not valid 0x hexadecimal or 0s base64"_s);
            continue;
        }
        entry.value = std::move(*value);
        return entry;
    }
    return std::nullopt;
}

std::optional<QByteArray> DumpReader::readLine() {
    while (true) {
        QByteArray line;
        bool ended = false;
        // Piece by piece through the one chunk buffer: a line costs what it holds, where asking
        // the device for a whole line of up to the bound would allocate the bound every time.
        while (!ended && line.size() <= maxLineLength) {
            const qint64 count = m_in.readLine(m_chunk.data(), m_chunk.size());
            if (count <= 0)
                break;
            line.append(m_chunk.constData(), count);
            ended = line.endsWith('\n');
        }
        if (line.isEmpty())
            return std::nullopt;
        ++m_line;
        if (ended)
            line.chop(1);
        if (line.size() > maxLineLength) {
            if (!ended)
                skipRestOfLine();
            m_problem(
                m_line,
                QStringLiteral("the line is longer than %1 bytes; skipped").arg(maxLineLength));
            continue;
        }
        while (line.endsWith('\r'))
            line.chop(1);
        return line;
    }
}

void DumpReader::skipRestOfLine() {
    while (true) {
        const qint64 count = m_in.readLine(m_chunk.data(), m_chunk.size());
        if (count <= 0 || m_chunk.at(count - 1) == '\n')
            return;
    }
}

} // namespace palvorn
