#pragma once

#include "core/model/PosixError.h"
#include "core/model/XattrAccess.h"

#include <algorithm>
#include <cerrno>
#include <sys/types.h>

#include <QByteArray>

// How every value and list is read, by path (XattrAccess) or relative to a folder
// (FolderXattrAccess): the one place where a read that races a writer is tried again.
namespace palvorn::SizedRead {

// A value or list that keeps changing under a writer is read again at most this often.
inline constexpr int attempts = 8;
// The largest value or list Linux keeps (XATTR_SIZE_MAX, XATTR_LIST_MAX): a read into a buffer of
// this size never falls short.
inline constexpr qsizetype systemLimit = 65536;

// call(buffer, size) is the system call; with (nullptr, 0) it answers the size. Asks for the size,
// then reads into a buffer of that size (at least one byte, so that the second call always reads
// instead of asking for the size again). When the value grew in between the read fails with
// ERANGE and is tried again, then into a buffer of at least the system's limit, so that a writer
// cannot make it fall short again; when it shrank the buffer is cut to what the read returned.
// knownSize, when not negative, is a size the caller has just asked for.
template <typename Call> void readSized(QByteArray& buffer, Call call, ssize_t knownSize = -1) {
    for (int attempt = 1;; ++attempt) {
        const ssize_t size = attempt == 1 && knownSize >= 0 ? knownSize : call(nullptr, 0);
        if (size < 0)
            throw PosixError::fromErrno();
        qsizetype capacity = std::max<qsizetype>(size, 1);
        if (attempt > 1)
            capacity = std::max(capacity, systemLimit);
        buffer.resize(capacity);
        const ssize_t got = call(buffer.data(), static_cast<size_t>(buffer.size()));
        if (got >= 0) {
            buffer.resize(got);
            return;
        }
        if (errno != ERANGE || attempt == attempts)
            throw PosixError::fromErrno();
    }
}

// A name list, read with one call into the caller's buffer while it fits shortList bytes (nearly
// every item's does), else by its size and a read. A walk reuses one buffer for every item, so it
// allocates once, not per item.
inline constexpr qsizetype shortList = 1024;

template <typename Call> void readList(QByteArray& buffer, Call call) {
    // Only resized: a buffer that was ever this large keeps its capacity, so this allocates once.
    buffer.resize(shortList);
    const ssize_t got = call(buffer.data(), static_cast<size_t>(shortList));
    if (got >= 0) {
        buffer.truncate(got);
        return;
    }
    if (errno != ERANGE)
        throw PosixError::fromErrno();
    readSized(buffer, call);
}

// Most values are short (a quarantine stamp, a tag list, a download address): a value of at most
// this many bytes is read with one call into a buffer on the stack, a longer one with two. The
// kernel allocates and clears as much as is asked for, so the buffer is not made larger.
inline constexpr qsizetype shortValue = 1024;

// One call into a short buffer: true with the value read, false when the value is longer.
template <typename Call> bool readShort(QByteArray& value, Call call) {
    char buffer[shortValue];
    const ssize_t got = call(buffer, sizeof buffer);
    if (got >= 0) {
        value = QByteArray(buffer, got);
        return true;
    }
    if (errno != ERANGE)
        throw PosixError::fromErrno();
    return false;
}

// A whole value: one call for a short one, otherwise its size and then a read. A file system may
// replace a value by removing the name and adding it again, so a read that finds no such
// attribute asks isListed() whether the name is still there and, while it is, reads again: a
// present attribute is never reported as missing.
template <typename Call, typename IsListed> QByteArray readValue(Call call, IsListed isListed) {
    QByteArray value;
    for (int attempt = 1;; ++attempt) {
        try {
            if (!readShort(value, call))
                readSized(value, call);
            return value;
        } catch (const PosixError& error) {
            if (error.code() != noSuchAttribute || attempt == attempts || !isListed())
                throw;
        }
    }
}

} // namespace palvorn::SizedRead
