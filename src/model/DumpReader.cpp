#include "model/DumpReader.h"

#include "model/AttributeDump.h"
#include "model/AttributeName.h"

#include <QIODevice>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

namespace {

constexpr QByteArrayView headerPrefix = "# file: ";

} // namespace

DumpReader::DumpReader(QIODevice& in, ProblemSink problem)
    : m_in(in), m_problem(std::move(problem)) {}

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
            m_inBlock = true;
            m_skippingBlock = false;
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
        // readLine(n) returns at most n - 1 bytes: room for the longest line and its break.
        QByteArray line = m_in.readLine(maxLineLength + 2);
        if (line.isEmpty())
            return std::nullopt;
        ++m_line;
        if (line.endsWith('\n')) {
            line.chop(1);
        } else if (line.size() > maxLineLength) {
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
        const QByteArray piece = m_in.readLine(1 << 16);
        if (piece.isEmpty() || piece.endsWith('\n'))
            return;
    }
}

} // namespace palvorn
