#include "core/model/PosixAcl.h"

#include "core/model/AccountNames.h"

#include <algorithm>

#include <QtEndian>

namespace palvorn {

namespace {

constexpr quint32 xattrVersion = 2;
constexpr quint32 undefinedId = 0xFFFFFFFF;
constexpr qsizetype headerSize = 4;
constexpr qsizetype entrySize = 8;
constexpr quint16 allPermissions = PosixAcl::Read | PosixAcl::Write | PosixAcl::Execute;

bool isNamed(quint16 tag) {
    return tag == PosixAcl::User || tag == PosixAcl::Group;
}

bool isKnownTag(quint16 tag) {
    switch (tag) {
    case PosixAcl::UserObj:
    case PosixAcl::User:
    case PosixAcl::GroupObj:
    case PosixAcl::Group:
    case PosixAcl::Mask:
    case PosixAcl::Other:
        return true;
    default:
        return false;
    }
}

// The kernel's order is the tags' numeric order, and within named entries the ids'.
bool comesBefore(const PosixAcl::Entry& a, const PosixAcl::Entry& b) {
    return a.tag != b.tag ? a.tag < b.tag : a.id < b.id;
}

QString tagWord(quint16 tag) {
    switch (tag) {
    case PosixAcl::UserObj:
    case PosixAcl::User:
        return QStringLiteral("user");
    case PosixAcl::GroupObj:
    case PosixAcl::Group:
        return QStringLiteral("group");
    case PosixAcl::Mask:
        return QStringLiteral("mask");
    default:
        return QStringLiteral("other");
    }
}

QString permissionText(quint16 permissions) {
    QString text = QStringLiteral("---");
    if (permissions & PosixAcl::Read)
        text[0] = u'r';
    if (permissions & PosixAcl::Write)
        text[1] = u'w';
    if (permissions & PosixAcl::Execute)
        text[2] = u'x';
    return text;
}

// "rwx" with "-" for rights left out, in any order and length, or one octal digit.
std::optional<quint16> permissionsOf(QStringView text) {
    if (text.size() == 1 && text.front() >= u'0' && text.front() <= u'7')
        return quint16(text.front().unicode() - u'0');
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    quint16 permissions = 0;
    for (const QChar c : text) {
        const quint16 bit = c == u'r'   ? PosixAcl::Read
                            : c == u'w' ? PosixAcl::Write
                            : c == u'x' ? PosixAcl::Execute
                                        : 0;
        if (c == u'-')
            continue;
        if (bit == 0 || (permissions & bit))
            return std::nullopt;
        permissions |= bit;
    }
    return permissions;
}

// A typed entry in a reason: quoted when it can be shown on one line as it is, else by number.
QString entryName(QStringView entry, qsizetype index) {
    const bool plain = entry.size() <= 64 && std::all_of(entry.begin(), entry.end(), [](QChar c) {
                           return c.isPrint() && !c.isSpace();
                       });
    return plain ? u'\u201c' + entry.toString() + u'\u201d'
                 : QStringLiteral("entry %1").arg(index + 1);
}

Parsed<PosixAcl::Entry> entryOf(QStringView text, qsizetype index, PosixAcl::Kind kind,
                                AccountNames& accounts) {
    using Result = Parsed<PosixAcl::Entry>;
    const QString shown = entryName(text, index);
    QList<QStringView> fields = text.split(u':');
    if (fields.size() >= 3 && (fields.front() == u"d" || fields.front() == u"default")) {
        if (kind == PosixAcl::Kind::Access)
            return Result::refused(shown + QStringLiteral(" is a default entry, which belongs in "
                                                          "the default list"));
        fields.removeFirst();
    }
    const QStringView tag = fields.front();
    const bool user = tag == u"u" || tag == u"user";
    const bool group = tag == u"g" || tag == u"group";
    const bool mask = tag == u"m" || tag == u"mask";
    const bool other = tag == u"o" || tag == u"other";
    if (!user && !group && !mask && !other)
        return Result::refused(shown +
                               QStringLiteral(" does not start with user, group, mask or other"));
    const bool shortForm = (mask || other) && fields.size() == 2;
    if (!shortForm && (fields.size() != 3 || ((mask || other) && !fields.at(1).isEmpty())))
        return Result::refused(shown + QStringLiteral(" is not an entry such as user:NAME:rwx or "
                                                      "mask::r--"));
    const std::optional<quint16> permissions = permissionsOf(fields.back());
    if (!permissions)
        return Result::refused(shown + QStringLiteral(" has no rights such as rwx, r-x or 5"));
    PosixAcl::Entry entry{0, *permissions, undefinedId};
    const QStringView qualifier = shortForm ? QStringView() : fields.at(1);
    if (mask || other) {
        entry.tag = mask ? PosixAcl::Mask : PosixAcl::Other;
    } else if (qualifier.isEmpty()) {
        entry.tag = user ? PosixAcl::UserObj : PosixAcl::GroupObj;
    } else {
        entry.tag = user ? PosixAcl::User : PosixAcl::Group;
        const std::optional<quint32> id =
            user ? accounts.userId(qualifier.toString()) : accounts.groupId(qualifier.toString());
        if (!id)
            return Result::refused(shown + (user ? QStringLiteral(" names no user the system "
                                                                  "knows")
                                                 : QStringLiteral(" names no group the system "
                                                                  "knows")));
        entry.id = *id;
    }
    return {entry, {}};
}

} // namespace

Parsed<PosixAcl> PosixAcl::fromXattr(QByteArrayView value) {
    using Result = Parsed<PosixAcl>;
    if (value.size() < headerSize)
        return Result::refused(QStringLiteral("it is %1 bytes long, shorter than its 4-byte header")
                                   .arg(value.size()));
    const quint32 version = qFromLittleEndian<quint32>(value.data());
    if (version != xattrVersion)
        return Result::refused(QStringLiteral("its version is %1, not 2").arg(version));
    if ((value.size() - headerSize) % entrySize != 0)
        return Result::refused(QStringLiteral("its %1 bytes after the header are not a whole "
                                              "number of 8-byte entries")
                                   .arg(value.size() - headerSize));
    const qsizetype count = (value.size() - headerSize) / entrySize;
    if (count > maxEntries)
        return Result::refused(QStringLiteral("it holds more than %1 entries").arg(maxEntries));
    QList<Entry> entries;
    entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char* at = value.data() + headerSize + i * entrySize;
        Entry entry{qFromLittleEndian<quint16>(at), qFromLittleEndian<quint16>(at + 2),
                    qFromLittleEndian<quint32>(at + 4)};
        if (!isKnownTag(entry.tag))
            return Result::refused(QStringLiteral("entry %1 has the unknown tag 0x%2")
                                       .arg(i + 1)
                                       .arg(entry.tag, 0, 16));
        if (entry.permissions & ~allPermissions)
            return Result::refused(QStringLiteral("entry %1 has rights beyond rwx (0x%2)")
                                       .arg(i + 1)
                                       .arg(entry.permissions, 0, 16));
        // The kernel ignores the id of an entry that names no account.
        if (!isNamed(entry.tag))
            entry.id = undefinedId;
        entries.append(entry);
    }
    if (const QString problem = problemOf(entries); !problem.isEmpty())
        return Result::refused(problem);
    if (!std::is_sorted(entries.cbegin(), entries.cend(), comesBefore))
        return Result::refused(QStringLiteral("its entries are not in the kernel's order"));
    return {PosixAcl(std::move(entries)), {}};
}

Parsed<PosixAcl> PosixAcl::fromText(QStringView text, Kind kind, AccountNames& accounts) {
    using Result = Parsed<PosixAcl>;
    QList<Entry> entries;
    for (QStringView line : text.split(u'\n')) {
        // getfacl's "# file:" lines and "#effective:" remarks are comments.
        if (const qsizetype comment = line.indexOf(u'#'); comment >= 0)
            line.truncate(comment);
        if (line.trimmed().isEmpty())
            continue;
        for (const QStringView piece : line.split(u',')) {
            const QStringView entryText = piece.trimmed();
            if (entryText.isEmpty())
                return Result::refused(QStringLiteral("there is an empty entry between commas"));
            if (entries.size() == maxEntries)
                return Result::refused(
                    QStringLiteral("it holds more than %1 entries").arg(maxEntries));
            const Parsed<Entry> entry = entryOf(entryText, entries.size(), kind, accounts);
            if (!entry)
                return Result::refused(entry.problem);
            entries.append(*entry.value);
        }
    }
    if (entries.isEmpty())
        return Result::refused(QStringLiteral("it holds no entries"));
    std::stable_sort(entries.begin(), entries.end(), comesBefore);
    addMissingMask(entries);
    if (const QString problem = problemOf(entries); !problem.isEmpty())
        return Result::refused(problem);
    return {PosixAcl(std::move(entries)), {}};
}

void PosixAcl::addMissingMask(QList<Entry>& entries) {
    // As setfacl does: a list that names accounts but gives no mask gets the one that takes no
    // right away, the union of the rights it limits, placed before other:: as the kernel orders.
    const auto isTag = [](quint16 tag) { return [tag](const Entry& e) { return e.tag == tag; }; };
    if (std::any_of(entries.cbegin(), entries.cend(), isTag(Mask)))
        return;
    if (std::none_of(entries.cbegin(), entries.cend(),
                     [](const Entry& e) { return isNamed(e.tag); }))
        return;
    quint16 rights = 0;
    for (const Entry& entry : std::as_const(entries))
        if (entry.tag == User || entry.tag == GroupObj || entry.tag == Group)
            rights |= entry.permissions;
    const auto other = std::find_if(entries.cbegin(), entries.cend(), isTag(Other));
    entries.insert(other - entries.cbegin(), Entry{Mask, rights, undefinedId});
}

QString PosixAcl::problemOf(const QList<Entry>& entries) {
    if (entries.isEmpty())
        return QStringLiteral("it holds no entries");
    const auto count = [&entries](quint16 tag) {
        return std::count_if(entries.cbegin(), entries.cend(),
                             [tag](const Entry& entry) { return entry.tag == tag; });
    };
    const std::pair<quint16, const char*> required[] = {
        {UserObj, "user::"}, {GroupObj, "group::"}, {Other, "other::"}};
    for (const auto& [tag, word] : required) {
        if (count(tag) == 0)
            return QStringLiteral("it has no %1 entry").arg(QLatin1StringView(word));
        if (count(tag) > 1)
            return QStringLiteral("it has more than one %1 entry").arg(QLatin1StringView(word));
    }
    if (count(Mask) > 1)
        return QStringLiteral("it has more than one mask:: entry");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries.at(i);
        if (!isNamed(entry.tag))
            continue;
        const QString word = entry.tag == User ? QStringLiteral("user") : QStringLiteral("group");
        if (entry.id == undefinedId)
            return QStringLiteral("it names the undefined %1 %2").arg(word).arg(entry.id);
        // Sorted, so a second entry for one account follows the first.
        if (i > 0 && entries.at(i - 1).tag == entry.tag && entries.at(i - 1).id == entry.id)
            return QStringLiteral("it names %1 %2 twice").arg(word).arg(entry.id);
    }
    if (count(Mask) == 0 && (count(User) > 0 || count(Group) > 0))
        return QStringLiteral("it names users or groups but has no mask:: entry");
    return {};
}

QByteArray PosixAcl::toXattr() const {
    QByteArray value(headerSize + m_entries.size() * entrySize, Qt::Uninitialized);
    char* at = value.data();
    qToLittleEndian<quint32>(xattrVersion, at);
    at += headerSize;
    for (const Entry& entry : m_entries) {
        qToLittleEndian<quint16>(entry.tag, at);
        qToLittleEndian<quint16>(entry.permissions, at + 2);
        qToLittleEndian<quint32>(isNamed(entry.tag) ? entry.id : undefinedId, at + 4);
        at += entrySize;
    }
    return value;
}

QString PosixAcl::toText(Kind kind, AccountNames& accounts) const {
    const auto mask = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                   [](const Entry& entry) { return entry.tag == Mask; });
    const QString prefix = kind == Kind::Default ? QStringLiteral("default:") : QString();
    QString text;
    for (const Entry& entry : m_entries) {
        QString qualifier;
        if (entry.tag == User)
            qualifier = accounts.userName(entry.id).value_or(QString::number(entry.id));
        else if (entry.tag == Group)
            qualifier = accounts.groupName(entry.id).value_or(QString::number(entry.id));
        text += prefix + tagWord(entry.tag) + u':' + qualifier + u':' +
                permissionText(entry.permissions);
        // The mask limits named entries and the owning group; getfacl says so where it bites.
        const bool masked = entry.tag == User || entry.tag == GroupObj || entry.tag == Group;
        if (masked && mask != m_entries.cend() && (entry.permissions & ~mask->permissions))
            text += QStringLiteral("\t#effective:") +
                    permissionText(entry.permissions & mask->permissions);
        text += u'\n';
    }
    return text;
}

} // namespace palvorn
