#pragma once

#include <optional>

#include <QHash>
#include <QString>

namespace palvorn {

// User and group names for the entries of an access control list, from the system's account
// databases (getpwuid_r and friends, so local files and directory services alike). An instance
// remembers what it looked up: one list may name the same account many times, and a directory
// service can be slow to answer. Make one per rendering, so that a renamed account shows anew.
class AccountNames {
public:
    // The name to show for the id, or nothing when the system knows none or the name would not
    // read back as the same account: digits only, characters outside letters, digits and
    // "._-@$", longer than maxNameLength, or shared with an account looked up first. The caller
    // then shows the number.
    std::optional<QString> userName(quint32 uid);
    std::optional<QString> groupName(quint32 gid);

    // The id a typed name stands for: digits are the number itself, anything else is looked up.
    std::optional<quint32> userId(const QString& name);
    std::optional<quint32> groupId(const QString& name);

    static constexpr qsizetype maxNameLength = 32;
    // Names one instance looks up at most; beyond them every account is shown by number, so that
    // a list of thousands of strangers' ids cannot keep a directory service busy for long.
    static constexpr int maxLookups = 1000;

private:
    bool mayLookUp() { return m_lookups++ < maxLookups; }

    int m_lookups = 0;
    QHash<quint32, std::optional<QString>> m_users;
    QHash<quint32, std::optional<QString>> m_groups;
};

} // namespace palvorn
