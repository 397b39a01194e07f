#include "core/model/AccountNames.h"

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace palvorn {

namespace {

// The largest buffer offered to the account lookups: an entry beyond it (a group with a huge
// member list) is treated as unknown, and its number is shown.
constexpr size_t maxBufferSize = 1 << 20;

// The id that marks "no account" in an access control list, never a real one.
constexpr quint32 undefinedId = 0xFFFFFFFF;

bool isShowableName(const char* name) {
    const QByteArrayView bytes(name);
    if (bytes.isEmpty() || bytes.size() > AccountNames::maxNameLength)
        return false;
    bool onlyDigits = true;
    for (const char c : bytes) {
        const bool digit = c >= '0' && c <= '9';
        onlyDigits = onlyDigits && digit;
        if (!digit && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') &&
            !QByteArrayView("._-@$").contains(c))
            return false;
    }
    // A name made of digits would read back as that number, which may be another account.
    return !onlyDigits;
}

// Runs one of the reentrant lookups with a growing buffer and hands the entry found to use; nothing
// when the system knows no such account or cannot say.
template <typename Entry, typename Lookup, typename Use>
auto withEntry(Lookup lookup, Use use) -> decltype(use(std::declval<const Entry&>())) {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? size_t(suggested) : 1024);
    for (;;) {
        Entry entry{};
        Entry* found = nullptr;
        const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < maxBufferSize) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found)
            return std::nullopt;
        return use(*found);
    }
}

std::optional<QString> showableName(const char* name) {
    if (!isShowableName(name))
        return std::nullopt;
    return QString::fromLatin1(name);
}

std::optional<quint32> realId(quint32 id) {
    return id == undefinedId ? std::nullopt : std::optional<quint32>(id);
}

// A name with a control character cannot be an account's: the lookup would see only the part
// before a NUL, which may be another account.
bool isTypeableName(const QString& name) {
    for (const QChar c : name)
        if (!c.isPrint())
            return false;
    return !name.isEmpty();
}

std::optional<quint32> numberOf(const QString& name) {
    if (name.isEmpty() || name.size() > 10)
        return std::nullopt;
    for (const QChar c : name)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const qulonglong number = name.toULongLong();
    if (number >= undefinedId)
        return std::nullopt;
    return quint32(number);
}

} // namespace

std::optional<QString> AccountNames::userName(quint32 uid) {
    const auto known = m_users.constFind(uid);
    if (known != m_users.cend())
        return *known;
    if (!mayLookUp())
        return std::nullopt;
    std::optional<QString> name = withEntry<passwd>(
        [uid](passwd* entry, char* buffer, size_t size, passwd** found) {
            return getpwuid_r(uid, entry, buffer, size, found);
        },
        [](const passwd& entry) { return showableName(entry.pw_name); });
    // Two accounts may share a name; the name stands for the one it is looked up as.
    if (name && userId(*name) != uid)
        name.reset();
    m_users.insert(uid, name);
    return name;
}

std::optional<QString> AccountNames::groupName(quint32 gid) {
    const auto known = m_groups.constFind(gid);
    if (known != m_groups.cend())
        return *known;
    if (!mayLookUp())
        return std::nullopt;
    std::optional<QString> name = withEntry<group>(
        [gid](group* entry, char* buffer, size_t size, group** found) {
            return getgrgid_r(gid, entry, buffer, size, found);
        },
        [](const group& entry) { return showableName(entry.gr_name); });
    if (name && groupId(*name) != gid)
        name.reset();
    m_groups.insert(gid, name);
    return name;
}

std::optional<quint32> AccountNames::userId(const QString& name) {
    if (const std::optional<quint32> number = numberOf(name))
        return number;
    if (!isTypeableName(name))
        return std::nullopt;
    const QByteArray bytes = name.toUtf8();
    return withEntry<passwd>(
        [&bytes](passwd* entry, char* buffer, size_t size, passwd** found) {
            return getpwnam_r(bytes.constData(), entry, buffer, size, found);
        },
        [](const passwd& entry) { return realId(entry.pw_uid); });
}

std::optional<quint32> AccountNames::groupId(const QString& name) {
    if (const std::optional<quint32> number = numberOf(name))
        return number;
    if (!isTypeableName(name))
        return std::nullopt;
    const QByteArray bytes = name.toUtf8();
    return withEntry<group>(
        [&bytes](group* entry, char* buffer, size_t size, group** found) {
            return getgrnam_r(bytes.constData(), entry, buffer, size, found);
        },
        [](const group& entry) { return realId(entry.gr_gid); });
}

} // namespace palvorn
