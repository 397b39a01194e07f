#pragma once

#include "core/model/Parsed.h"

#include <optional>

#include <QByteArray>
#include <QStringView>

namespace palvorn {

// The capabilities a file grants when it is executed, as Linux keeps them in
// security.capability: a little-endian word of revision and flags, the permitted and inheritable
// sets (32 bits in revision 1, 64 in revisions 2 and 3), and in revision 3 the root user id of the
// user namespace they are for. One effective flag stands for the whole effective set, which is
// then the union of the other two.
class FileCapabilities {
public:
    // The capabilities with a name, numbered 0 to namedCount - 1; higher bits are shown as
    // numbers.
    static constexpr int namedCount = 41;

    static Parsed<FileCapabilities> fromXattr(QByteArrayView value);
    // setcap's text: clauses such as "cap_net_raw,cap_net_admin+ep" or "=p cap_chown-p", names
    // in any case or bit numbers, sets in small letters, and after them "[rootid=N]" for a user
    // namespace's root.
    // An effective set other than none or the union of the other two cannot be kept, so it is
    // refused.
    static Parsed<FileCapabilities> fromText(QStringView text);

    // Revision 2, or 3 when there is a root user id.
    QByteArray toXattr() const;
    // What getcap prints after the file name, "cap_net_bind_service=ep", with " [rootid=N]"
    // added for a root user id other than 0 as getcap -n prints it. At most about a kilobyte.
    QString toText() const;

    quint64 permitted() const { return m_permitted; }
    quint64 inheritable() const { return m_inheritable; }
    bool effective() const { return m_effective; }
    std::optional<quint32> rootId() const { return m_rootId; }

    friend bool operator==(const FileCapabilities&, const FileCapabilities&) = default;

private:
    FileCapabilities() = default;
    // The combination of sets a capability is in: 1 effective, 2 permitted, 4 inheritable.
    int setsOf(int capability) const;

    quint64 m_permitted = 0;
    quint64 m_inheritable = 0;
    bool m_effective = false;
    std::optional<quint32> m_rootId;
};

} // namespace palvorn
