#include "core/model/FileCapabilities.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

namespace palvorn {

namespace {

constexpr quint32 revisionMask = 0xFF000000;
constexpr quint32 effectiveFlag = 0x000001;
constexpr quint32 revision1 = 0x01000000;
constexpr quint32 revision2 = 0x02000000;
constexpr quint32 revision3 = 0x03000000;
constexpr int bitCount = 64;

// The combinations of sets, as in FileCapabilities::setsOf.
constexpr int effectiveSet = 1;
constexpr int permittedSet = 2;
constexpr int inheritableSet = 4;

constexpr std::array<const char*, FileCapabilities::namedCount> capabilityNames = {
    "cap_chown",
    "cap_dac_override",
    "cap_dac_read_search",
    "cap_fowner",
    "cap_fsetid",
    "cap_kill",
    "cap_setgid",
    "cap_setuid",
    "cap_setpcap",
    "cap_linux_immutable",
    "cap_net_bind_service",
    "cap_net_broadcast",
    "cap_net_admin",
    "cap_net_raw",
    "cap_ipc_lock",
    "cap_ipc_owner",
    "cap_sys_module",
    "cap_sys_rawio",
    "cap_sys_chroot",
    "cap_sys_ptrace",
    "cap_sys_pacct",
    "cap_sys_admin",
    "cap_sys_boot",
    "cap_sys_nice",
    "cap_sys_resource",
    "cap_sys_time",
    "cap_sys_tty_config",
    "cap_mknod",
    "cap_lease",
    "cap_audit_write",
    "cap_audit_control",
    "cap_setfcap",
    "cap_mac_override",
    "cap_mac_admin",
    "cap_syslog",
    "cap_wake_alarm",
    "cap_block_suspend",
    "cap_audit_read",
    "cap_perfmon",
    "cap_bpf",
    "cap_checkpoint_restore",
};

constexpr quint64 allNamed = (quint64(1) << FileCapabilities::namedCount) - 1;

quint64 bit(int capability) {
    return quint64(1) << capability;
}

QString setLetters(int sets) {
    QString letters;
    if (sets & effectiveSet)
        letters += u'e';
    if (sets & inheritableSet)
        letters += u'i';
    if (sets & permittedSet)
        letters += u'p';
    return letters;
}

QString capabilityName(int capability) {
    return capability < FileCapabilities::namedCount
               ? QString::fromLatin1(capabilityNames[size_t(capability)])
               : QString::number(capability);
}

// The capabilities one clause names: "all", names, bit numbers; nothing when one is unknown.
std::optional<quint64> capabilitiesOf(QStringView list) {
    quint64 set = 0;
    for (const QStringView item : list.split(u',')) {
        // Names in any case, as setcap takes them.
        if (item.compare(u"all", Qt::CaseInsensitive) == 0) {
            set |= allNamed;
            continue;
        }
        bool isNumber = !item.isEmpty() && item.size() <= 3;
        for (const QChar c : item)
            isNumber = isNumber && c >= u'0' && c <= u'9';
        if (isNumber) {
            const int number = item.toInt();
            if (number >= bitCount)
                return std::nullopt;
            set |= bit(number);
            continue;
        }
        const auto known = std::find_if(
            capabilityNames.cbegin(), capabilityNames.cend(), [item](const char* name) {
                return item.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
            });
        if (known == capabilityNames.cend())
            return std::nullopt;
        set |= bit(int(known - capabilityNames.cbegin()));
    }
    return set;
}

QString quoted(QStringView clause) {
    const bool plain = clause.size() <= 64 && std::all_of(clause.begin(), clause.end(),
                                                          [](QChar c) { return c.isPrint(); });
    return plain ? u'\u201c' + clause.toString() + u'\u201d' : QStringLiteral("a clause");
}

bool isOperator(QChar c) {
    return c == u'=' || c == u'+' || c == u'-';
}

struct Sets {
    quint64 effective = 0;
    quint64 permitted = 0;
    quint64 inheritable = 0;

    void change(QChar operation, int sets, quint64 capabilities) {
        for (const auto& [set, field] :
             {std::pair{effectiveSet, &effective}, std::pair{permittedSet, &permitted},
              std::pair{inheritableSet, &inheritable}}) {
            if (operation == u'=')
                *field &= ~capabilities;
            if ((sets & set) && operation == u'-')
                *field &= ~capabilities;
            else if (sets & set)
                *field |= capabilities;
        }
    }
};

// Applies one clause such as "cap_chown,cap_kill+ep-i" to the sets; why not, when it is no such
// clause.
QString apply(QStringView clause, Sets& sets) {
    const qsizetype listEnd =
        std::find_if(clause.begin(), clause.end(), isOperator) - clause.begin();
    if (listEnd == clause.size())
        return quoted(clause) + QStringLiteral(" has no =, + or -");
    const QStringView list = clause.first(listEnd);
    // Only "=" may stand alone: "=ep" gives every capability.
    if (list.isEmpty() && clause.at(0) != u'=')
        return quoted(clause) + QStringLiteral(" names no capabilities");
    const std::optional<quint64> capabilities =
        list.isEmpty() ? std::optional<quint64>(allNamed) : capabilitiesOf(list);
    if (!capabilities)
        return quoted(clause) + QStringLiteral(" names a capability that does not exist");
    for (qsizetype at = listEnd; at < clause.size();) {
        const QChar operation = clause.at(at++);
        int chosen = 0;
        for (; at < clause.size() && !isOperator(clause.at(at)); ++at) {
            const QChar letter = clause.at(at);
            const int set = letter == u'e'   ? effectiveSet
                            : letter == u'i' ? inheritableSet
                            : letter == u'p' ? permittedSet
                                             : 0;
            if (set == 0)
                return quoted(clause) + QStringLiteral(" has sets other than e, i and p");
            chosen |= set;
        }
        if (operation != u'=' && chosen == 0)
            return quoted(clause) + QStringLiteral(" adds or removes no set");
        sets.change(operation, chosen, *capabilities);
    }
    return {};
}

// "[rootid=N]": the root user id of the user namespace the capabilities are for.
std::optional<quint32> rootIdOf(QStringView token) {
    if (!token.startsWith(u"[rootid=") || !token.endsWith(u']'))
        return std::nullopt;
    const QStringView digits = token.sliced(8).chopped(1);
    if (digits.isEmpty() || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    // Any 32-bit id reads back as it was shown; whether it maps to a user is the kernel's to say
    // when the value is written.
    const qulonglong id = digits.toULongLong();
    return id <= 0xFFFFFFFF ? std::optional<quint32>(quint32(id)) : std::nullopt;
}

} // namespace

Parsed<FileCapabilities> FileCapabilities::fromXattr(QByteArrayView value) {
    using Result = Parsed<FileCapabilities>;
    if (value.size() < 4)
        return Result::refused(QStringLiteral("it is %1 bytes long, shorter than its 4-byte header")
                                   .arg(value.size()));
    const quint32 magic = qFromLittleEndian<quint32>(value.data());
    const quint32 revision = magic & revisionMask;
    const qsizetype expected = revision == revision1   ? 12
                               : revision == revision2 ? 20
                               : revision == revision3 ? 24
                                                       : -1;
    if (expected < 0)
        return Result::refused(QStringLiteral("its revision %1 is unknown").arg(revision >> 24));
    if (magic & ~revisionMask & ~effectiveFlag)
        return Result::refused(QStringLiteral("its flags 0x%1 are unknown")
                                   .arg(magic & ~revisionMask, 6, 16, QLatin1Char('0')));
    if (value.size() != expected)
        return Result::refused(QStringLiteral("revision %1 takes %2 bytes, not %3")
                                   .arg(revision >> 24)
                                   .arg(expected)
                                   .arg(value.size()));
    const auto word = [&value](int index) {
        return quint64(qFromLittleEndian<quint32>(value.data() + 4 * index));
    };
    FileCapabilities capabilities;
    capabilities.m_effective = magic & effectiveFlag;
    capabilities.m_permitted = word(1);
    capabilities.m_inheritable = word(2);
    if (revision != revision1) {
        capabilities.m_permitted |= word(3) << 32;
        capabilities.m_inheritable |= word(4) << 32;
    }
    if (revision == revision3)
        capabilities.m_rootId = quint32(word(5));
    return {capabilities, {}};
}

Parsed<FileCapabilities> FileCapabilities::fromText(QStringView text) {
    using Result = Parsed<FileCapabilities>;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<QStringView> clauses = text.split(blanks, Qt::SkipEmptyParts);
    FileCapabilities capabilities;
    if (!clauses.isEmpty() && clauses.back().startsWith(u'[')) {
        capabilities.m_rootId = rootIdOf(clauses.back());
        if (!capabilities.m_rootId)
            return Result::refused(quoted(clauses.back()) +
                                   QStringLiteral(" is not a root user id such as [rootid=1000]"));
        clauses.removeLast();
    }
    if (clauses.isEmpty())
        return Result::refused(QStringLiteral("it holds no clause such as cap_chown=ep or ="));
    Sets sets;
    for (const QStringView clause : std::as_const(clauses))
        if (const QString problem = apply(clause, sets); !problem.isEmpty())
            return Result::refused(problem);
    const quint64 granted = sets.permitted | sets.inheritable;
    if (sets.effective != 0 && sets.effective != granted)
        return Result::refused(QStringLiteral("a file's effective set must be empty or hold "
                                              "exactly its permitted and inheritable ones"));
    capabilities.m_permitted = sets.permitted;
    capabilities.m_inheritable = sets.inheritable;
    capabilities.m_effective = sets.effective != 0;
    return {capabilities, {}};
}

QByteArray FileCapabilities::toXattr() const {
    QByteArray value(m_rootId ? 24 : 20, Qt::Uninitialized);
    const auto put = [&value](int index, quint64 word) {
        qToLittleEndian<quint32>(quint32(word), value.data() + 4 * index);
    };
    put(0, (m_rootId ? revision3 : revision2) | (m_effective ? effectiveFlag : 0));
    put(1, m_permitted);
    put(2, m_inheritable);
    put(3, m_permitted >> 32);
    put(4, m_inheritable >> 32);
    if (m_rootId)
        put(5, *m_rootId);
    return value;
}

QString FileCapabilities::toText() const {
    // As getcap: the combination most named capabilities share is said once ("=ep"), then each
    // other combination lists its capabilities with what to add to or take from it. Bits without
    // a name come last, by number, each with its own sets.
    std::array<int, 8> histogram{};
    for (int capability = 0; capability < namedCount; ++capability)
        ++histogram[size_t(setsOf(capability))];
    int common = 7;
    for (int sets = 6; sets >= 0; --sets)
        if (histogram[size_t(sets)] >= histogram[size_t(common)])
            common = sets;
    QStringList clauses;
    if (common != 0)
        clauses.append(u'=' + setLetters(common));
    for (int sets = 7; sets >= 0; --sets) {
        if (sets == common || histogram[size_t(sets)] == 0)
            continue;
        QStringList names;
        for (int capability = 0; capability < namedCount; ++capability)
            if (setsOf(capability) == sets)
                names.append(capabilityName(capability));
        QString clause = names.join(u',');
        if (const int added = sets & ~common)
            clause += (clauses.isEmpty() ? u'=' : u'+') + setLetters(added);
        if (const int removed = common & ~sets)
            clause += u'-' + setLetters(removed);
        clauses.append(clause);
    }
    if (clauses.isEmpty())
        clauses.append(QStringLiteral("="));
    for (int sets = 7; sets > 0; --sets) {
        QStringList numbers;
        for (int capability = namedCount; capability < bitCount; ++capability)
            if (setsOf(capability) == sets)
                numbers.append(capabilityName(capability));
        if (!numbers.isEmpty())
            clauses.append(numbers.join(u',') + u'+' + setLetters(sets));
    }
    QString text = clauses.join(u' ');
    if (m_rootId.value_or(0) != 0)
        text += QStringLiteral(" [rootid=%1]").arg(*m_rootId);
    return text;
}

int FileCapabilities::setsOf(int capability) const {
    const quint64 mask = bit(capability);
    int sets =
        ((m_permitted & mask) ? permittedSet : 0) | ((m_inheritable & mask) ? inheritableSet : 0);
    if (m_effective && sets != 0)
        sets |= effectiveSet;
    return sets;
}

} // namespace palvorn
