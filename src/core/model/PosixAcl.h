#pragma once

#include "core/model/Parsed.h"

#include <QByteArray>
#include <QList>
#include <QStringView>

namespace palvorn {

class AccountNames;

// A POSIX access control list as Linux keeps it in system.posix_acl_access and
// system.posix_acl_default: a 4-byte version (2) and 8-byte entries of tag, permissions and id,
// all little-endian. Both readers accept only what the kernel itself would store: known tags and
// permissions, exactly one owner, owning-group and other entry, a mask wherever a named entry
// needs one, and no account twice.
class PosixAcl {
public:
    enum class Kind { Access, Default };
    enum Tag : quint16 {
        UserObj = 0x01,
        User = 0x02,
        GroupObj = 0x04,
        Group = 0x08,
        Mask = 0x10,
        Other = 0x20
    };
    enum Permission : quint16 { Execute = 0x01, Write = 0x02, Read = 0x04 };

    struct Entry {
        quint16 tag = 0;
        quint16 permissions = 0;
        quint32 id = 0; // the account of a User or Group entry; unused otherwise
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    static Parsed<PosixAcl> fromXattr(QByteArrayView value);
    // setfacl's forms: "u::rw-,u:nobody:r--,g::r--,m::r--,o::---", or getfacl's lines with their
    // comments; entries in any order, each at most once; a mask left out where accounts are named
    // is computed as setfacl computes it. A default list's entries may carry "default:" or "d:";
    // an access list's may not.
    static Parsed<PosixAcl> fromText(QStringView text, Kind kind, AccountNames& accounts);

    QByteArray toXattr() const;
    // getfacl's lines without its header: "user::rw-", "user:nobody:r--", "group::r--",
    // "mask::r--", "other::r--", each ending in a line feed, with "\t#effective:r--" where the
    // mask takes rights away, and "default:" before every entry of a default list. Accounts are
    // named where the system knows them and numbered otherwise.
    QString toText(Kind kind, AccountNames& accounts) const;

    // In the kernel's order: owner, named users by id, owning group, named groups by id, mask,
    // other.
    const QList<Entry>& entries() const { return m_entries; }

    // The most entries a value can hold: a value is at most 64 KiB.
    static constexpr qsizetype maxEntries = (65536 - 4) / 8;

private:
    explicit PosixAcl(QList<Entry> entries) : m_entries(std::move(entries)) {}
    // A typed list that names accounts without a mask gets setfacl's computed one.
    static void addMissingMask(QList<Entry>& entries);
    // Why sorted entries are not a list the kernel would keep; empty when they are.
    static QString problemOf(const QList<Entry>& entries);

    QList<Entry> m_entries;
};

} // namespace palvorn
