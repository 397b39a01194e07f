#pragma once

#include "core/model/Error.h"
#include "core/stripper/StripJournal.h"

#include <memory>
#include <optional>
#include <sys/types.h>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>

namespace palvorn {

// The restore file of a strip, written as the strip goes: each value is in it, written through
// to the disk, before it is removed. It is a dump (base64 values) that palvorn-cli restore and
// setfattr --restore read.
//
// The file is written beside its name and takes the name before the first value is removed: a
// new file only where the name is still free then, an existing regular file by being replaced
// whole in one rename, so that the name always holds every value removed. Any other item at the
// name (a folder, FIFO, device or socket, or a symbolic link, which would be written through) is
// refused. Values written but then not removed (changed meanwhile, gone, stopped) are taken out
// when the strip ends, so that a restore never writes back a value the strip kept.
//
// Memory: 16 bytes per value taken out, and a 64 KiB buffer while taking them out. Descriptors:
// two (the file and its folder).
class RestoreFile : public StripJournal {
public:
    // Checks the name and opens the file beside it; the error names the file when the name is
    // refused or nothing can be written there.
    static Result<std::unique_ptr<RestoreFile>> open(const QString& path);
    ~RestoreFile() override;
    RestoreFile(const RestoreFile&) = delete;
    RestoreFile& operator=(const RestoreFile&) = delete;

    const QString& path() const { return m_path; }
    // Whether the file has taken its name (before that, the name holds what it held).
    bool named() const { return m_named; }

    // Appends blocks, writes them through to the disk and, the first time, gives the file its
    // name. Where they begin in the file; the error names the file when they could not all be
    // written (what was written before stays).
    Result<qint64> append(const QByteArray& blocks) override;
    // A block written at offset whose value was not removed after all: taken out at the end.
    void takeOutLater(qint64 offset, qint64 length) override;
    // Gives the file its name if it has none yet, and takes out the blocks of values not removed
    // (a copy without them replaces it). The error names the file when that fails; the file
    // then still holds every value removed.
    Result<> finish();

private:
    RestoreFile(QString path, int folderFd, QByteArray name);

    // The new file's descriptor; its name in name.
    Result<int> createBeside(QByteArray* name, std::optional<mode_t> mode);
    Result<> takeName();
    Result<> copyWithoutTakenOut();
    // "FILE: REASON" as lineText renders it.
    Error errorOf(int code) const;
    Error refusal(mode_t mode) const;

    QString m_path;
    int m_folderFd;
    QByteArray m_name;        // in the folder
    bool m_replacing = false; // a regular file is at the name
    QByteArray m_tempName;    // the file's own name until it takes m_name
    int m_fd = -1;
    bool m_named = false;
    qint64 m_size = 0;
    std::vector<std::pair<qint64, qint64>> m_takenOut; // offset, length
};

} // namespace palvorn
