#pragma once

#include "core/model/Error.h"

#include <QByteArray>

namespace palvorn {

// Where a strip writes the values it is about to remove, part by part, before removing them: the
// restore file (RestoreFile), or whatever a test puts in its place.
class StripJournal {
public:
    virtual ~StripJournal() = default;

    // Appends blocks and writes them through to the disk. Where they begin; the error names the
    // file when they could not all be written (what was written before stays).
    virtual Result<qint64> append(const QByteArray& blocks) = 0;
    // A block written at offset whose value was not removed after all.
    virtual void takeOutLater(qint64 offset, qint64 length) = 0;
};

} // namespace palvorn
