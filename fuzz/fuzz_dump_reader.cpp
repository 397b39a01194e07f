#include "core/model/AttributeDump.h"
#include "core/model/DumpReader.h"

#include <cstdio>
#include <cstdlib>

#include <QBuffer>

using palvorn::AttributeDump;
using palvorn::DumpEntry;
using palvorn::DumpReader;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "dump reader: %s\n", what);
    std::abort();
}

// Each entry, written back in the dump form and read again, is the same entry, without a
// problem: what the reader takes from a dump, the writer can carry.
void checkRoundTrip(const DumpEntry& entry) {
    QByteArray text = AttributeDump::header(entry.path) +
                      AttributeDump::line(entry.name, entry.value, palvorn::ValueEncoding::Base64);
    QBuffer in(&text);
    in.open(QIODevice::ReadOnly);
    DumpReader reader(in, [](qint64, const QString&) { fail("an entry read back has a problem"); });
    const std::optional<DumpEntry> back = reader.next();
    if (!back || back->path != entry.path || back->name != entry.name ||
        back->value != entry.value || back->line != 2 || reader.next())
        fail("an entry does not read back as itself");
}

} // namespace

// A restore file is untrusted input: besides never crashing, hanging or growing without bound,
// the reader yields only entries with a path and a name that a restore can act on, and reports
// problems in line order.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const qint64 lines = bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
    qint64 lastLine = 0;
    const auto checkLine = [&](qint64 line) {
        if (line < lastLine || line < 1 || line > lines)
            fail("a line number out of order or out of the input");
        lastLine = line;
    };
    DumpReader reader(in, [&](qint64 line, const QString&) { checkLine(line); });
    while (const std::optional<DumpEntry> entry = reader.next()) {
        checkLine(entry->line);
        if (entry->path.isEmpty() || entry->path.contains('\0') || entry->name.isEmpty())
            fail("an entry without a usable path or name");
        checkRoundTrip(*entry);
    }
    return 0;
}
