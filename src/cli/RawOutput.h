#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QTextStream>

namespace palvorn {

// Standard output for bytes that go out exactly as they are (a value with --raw, names with
// --null, a dump), past the text stream, which would encode them as text. The text stream is
// flushed first, so that nothing written to it before comes after.
class RawOutput {
public:
    explicit RawOutput(QTextStream& out);

    QIODevice& device() { return m_file; }
    // False once writing has failed; nothing more is written then.
    bool write(QByteArrayView bytes);
    // Flushes; false, with "palvorn-cli: write error: REASON", when any write failed.
    bool finish(QTextStream& err);

private:
    QFile m_file;
    bool m_failed = false;
};

} // namespace palvorn
