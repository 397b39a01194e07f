#pragma once

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
    // Checks the name and opens the file beside it; none, with "FILE: REASON", when the name is
    // refused or nothing can be written there.
    static std::unique_ptr<RestoreFile> open(const QString& path, QString* error);
    ~RestoreFile() override;
    RestoreFile(const RestoreFile&) = delete;
    RestoreFile& operator=(const RestoreFile&) = delete;

    const QString& path() const { return m_path; }
    // Whether the file has taken its name (before that, the name holds what it held).
    bool named() const { return m_named; }

    // Appends blocks, writes them through to the disk and, the first time, gives the file its
    // name. Where they begin in the file; -1, with "FILE: REASON", when they could not all be
    // written (what was written before stays).
    qint64 append(const QByteArray& blocks, QString* error) override;
    // A block written at offset whose value was not removed after all: taken out at the end.
    void takeOutLater(qint64 offset, qint64 length) override;
    // Gives the file its name if it has none yet, and takes out the blocks of values not removed
    // (a copy without them replaces it). False, with "FILE: REASON", when that fails; the file
    // then still holds every value removed.
    bool finish(QString* error);

private:
    RestoreFile(QString path, int folderFd, QByteArray name);

    bool createBeside(QByteArray* name, int* fd, std::optional<mode_t> mode, QString* error);
    bool takeName(QString* error);
    bool copyWithoutTakenOut(QString* error);
    QString failure(int code) const;

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
