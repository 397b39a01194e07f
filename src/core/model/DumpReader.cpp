#include "core/model/DumpReader.h"

#include "core/model/AttributeDump.h"
#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"

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
    : m_in(in), m_problem(std::move(problem)) {}

std::optional<DumpEntry> DumpReader::next() {
    while (const std::optional<QByteArrayView> line = readLine()) {
        if (line->isEmpty()) {
            m_inBlock = false;
            m_skippingBlock = false;
            continue;
        }
        if (line->contains('\0')) {
            m_problem(Error::ofLine(m_line, QStringLiteral("the line holds a NUL byte; skipped")));
            continue;
        }
        if (line->startsWith(headerPrefix)) {
            m_path = AttributeDump::unescapeName(line->sliced(headerPrefix.size()));
            const std::optional<QString> unusable = whyUnusable(m_path);
            if (unusable)
                m_problem(
                    Error::ofLine(m_line, *unusable + u"; skipped up to the next blank line"_s));
            m_inBlock = !unusable;
            m_skippingBlock = unusable.has_value();
            continue;
        }
        if (!m_inBlock) {
            if (!m_skippingBlock)
                m_problem(Error::ofLine(m_line,
                                        QStringLiteral("no \"# file: PATH\" line before this one; "
                                                       "skipped up to the next blank line")));
            m_skippingBlock = true;
            continue;
        }
        if (line->startsWith('#'))
            continue;
        const qsizetype equals = line->indexOf('=');
        const QByteArrayView nameText = equals < 0 ? *line : line->first(equals);
        const QByteArrayView valueText = equals < 0 ? QByteArrayView() : line->sliced(equals + 1);
        DumpEntry entry{m_line, m_path, AttributeDump::unescapeName(nameText), {}};
        if (entry.name.isEmpty()) {
            m_problem(
                Error::ofLine(m_line, u"the attribute name is empty"_s, ByteText::decode(m_path)));
            continue;
        }
        std::optional<QByteArray> value = AttributeDump::decodeValue(valueText);
        if (!value) {
            m_problem(Error::ofLine(m_line, u"the value is not valid 0x hexadecimal or 0s base64"_s,
                                    ByteText::decode(m_path), entry.name));
            continue;
        }
        entry.value = std::move(*value);
        return entry;
    }
    return std::nullopt;
}

std::optional<QByteArrayView> DumpReader::readLine() {
    bool tooLong = false;
    while (true) {
        const qsizetype end = m_buffer.indexOf('\n', m_start);
        if (end < 0 && !m_ended) {
            // Past the bound a line is dropped as it is read, and only its end searched for.
            if (m_buffer.size() - m_start > maxLineLength) {
                tooLong = true;
                m_start = m_buffer.size();
            }
            readChunk();
            continue;
        }
        const qsizetype lineEnd = end >= 0 ? end : m_buffer.size();
        if (lineEnd == m_start && end < 0 && !tooLong)
            return std::nullopt;
        const QByteArrayView line = QByteArrayView(m_buffer).sliced(m_start, lineEnd - m_start);
        m_start = end >= 0 ? end + 1 : lineEnd;
        ++m_line;
        if (tooLong || line.size() > maxLineLength) {
            m_problem(Error::ofLine(
                m_line,
                QStringLiteral("the line is longer than %1 bytes; skipped").arg(maxLineLength)));
            tooLong = false;
            continue;
        }
        qsizetype length = line.size();
        while (length > 0 && line.at(length - 1) == '\r')
            --length;
        return line.first(length);
    }
}

void DumpReader::readChunk() {
    // What was read is dropped before the buffer grows: it holds one line and a chunk at most.
    m_buffer.remove(0, m_start);
    m_start = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + chunkSize);
    const qint64 count = m_in.read(m_buffer.data() + kept, chunkSize);
    m_buffer.resize(kept + std::max<qint64>(count, 0));
    m_ended = count <= 0;
}

} // namespace palvorn
