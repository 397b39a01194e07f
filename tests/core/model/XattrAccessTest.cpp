#include "core/model/XattrAccess.h"

#include "core/model/ByteText.h"
#include "core/model/FolderXattrAccess.h"
#include "core/model/ListedXattrNames.h"
#include "core/model/ResourceList.h"
#include "core/model/SizedRead.h"
#include "support/XattrFixture.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;
using XattrAccessTest = XattrFixture;

// Names are bytes: whatever the system lists is listed, read, sized, written and removed; values
// are read whole, empty and binary ones too. A link stands for its target.
TEST_F(XattrAccessTest, EveryListedNameIsKeptAndReachableByItsBytes) {
    const QList<QByteArray> names = {
        "user.zeta",
        "user.bad\xff\xfe",                  // not UTF-8
        "user.over\xc0\xaf",                 // overlong "/"
        "user.cesu\xed\xa0\xbd\xed\xb8\x80", // an encoded surrogate pair
        "user.caf\xc3\xa9",                  // NFC
        "user.cafe\xcc\x81",                 // NFD of the same text
        "user.a#flag",
        "user.line\nbreak",
    };
    const QString file = makeFile(u"f"_s);
    const QByteArray path = nativePath(file);
    const QByteArray link = nativePath(pathOf(u"link"_s));
    ASSERT_TRUE(QFile::link(file, pathOf(u"link"_s)));
    const auto valueOf = [](const QByteArray& name) {
        return name == "user.zeta" ? QByteArray() : QByteArray("\0v\xff:", 4) + name;
    };
    for (const QByteArray& name : names)
        setRaw(file, name, valueOf(name));

    const QList<QByteArray> oracle = listRaw(path);
    ASSERT_EQ(oracle.size(), names.size());
    EXPECT_EQ(listXattrs(link), oracle);
    // The walks' byte listing gives the same names and reuses its buffer from item to item.
    ListedXattrNames listed;
    const QList<QByteArrayView> views(oracle.cbegin(), oracle.cend());
    for (const QString& item : {makeFile(u"none"_s), file, pathOf(u"none"_s)})
        EXPECT_EQ(listed.read(nativePath(item)) ? listed.names() : QList<QByteArrayView>(),
                  item == file ? views : QList<QByteArrayView>());

    for (const QByteArray& name : names) {
        EXPECT_EQ(getXattr(link, name), valueOf(name));
        EXPECT_EQ(getXattrSize(path, name), valueOf(name).size());
        EXPECT_EQ(getListedXattr(path, name.constData()), valueOf(name));
        EXPECT_EQ(getListedXattrSize(path, name.constData()), valueOf(name).size());
        ASSERT_TRUE(setXattr(link, name, "new"));
        EXPECT_EQ(getRaw(file, name), "new");
        ASSERT_TRUE(setXattr(path, name, {}));
        EXPECT_EQ(rawAttributes(path).value(name, "(none)"), QByteArray());
        ASSERT_TRUE(removeXattr(link, name));
        EXPECT_FALSE(hasRaw(file, name));
    }
}

// A name in a namespace is kept; any other is a user name. Typed text keeps the bytes it was
// decoded from, as an argument does.
TEST_F(XattrAccessTest, TypedNamesWithoutNamespaceMeanTheUserNamespace) {
    const auto expectSystemName = [](const QByteArray& given, const QByteArray& system) {
        EXPECT_EQ(systemAttributeName(given), system) << given.toStdString();
        EXPECT_EQ(systemAttributeName(ByteText::decode(given)), system) << given.toStdString();
    };
    for (const QByteArray kept :
         {"user.xdg.origin.url", "trusted.x", "security.selinux", "system.posix_acl_access"})
        expectSystemName(kept, kept);
    for (const QByteArray user : {"com.apple.quarantine", "username", "User.x", "bad\xff"})
        expectSystemName(user, "user." + user);
}

// One case per call: each turns the system's failure into an error with its code and text.
TEST_F(XattrAccessTest, FailuresCarryTheSystemsCodeAndText) {
    const QByteArray file = nativePath(makeFile(u"f"_s));
    const QByteArray missing = nativePath(pathOf(u"missing"_s));
    const QByteArray withNul("user.a\0b", 8);
    setRaw(QString::fromUtf8(file), "user.a", "kept");
    const auto errorOf = [](const auto& result) {
        return result ? std::nullopt : std::optional<Error>(result.error());
    };
    const std::tuple<const char*, std::function<std::optional<Error>()>, int> cases[] = {
        {"get missing attribute", [&] { return errorOf(getXattr(file, "user.none")); }, ENODATA},
        {"size of missing attribute", [&] { return errorOf(getXattrSize(file, "user.none")); },
         ENODATA},
        {"remove missing attribute", [&] { return errorOf(removeXattr(file, "user.none")); },
         ENODATA},
        {"list missing file", [&] { return errorOf(listXattrs(missing)); }, ENOENT},
        {"set on missing file", [&] { return errorOf(setXattr(missing + "/f", "user.a", "v")); },
         ENOENT},
        // The access layer itself takes names as they are: no rule, no second spelling.
        {"name without namespace", [&] { return errorOf(getXattr(file, "a")); }, EOPNOTSUPP},
        // Creating never replaces.
        {"create existing", [&] { return errorOf(createXattr(file, "user.a", "v")); }, EEXIST},
        // A NUL would cut the name short and act on "user.a".
        {"get with NUL", [&] { return errorOf(getXattr(file, withNul)); }, EINVAL},
        {"size with NUL", [&] { return errorOf(getXattrSize(file, withNul)); }, EINVAL},
        {"set with NUL", [&] { return errorOf(setXattr(file, withNul, "v")); }, EINVAL},
        {"remove with NUL", [&] { return errorOf(removeXattr(file, withNul)); }, EINVAL},
    };
    for (const auto& [label, operation, code] : cases) {
        const std::optional<Error> error = operation();
        if (!error) {
            ADD_FAILURE() << label << ": no error";
            continue;
        }
        EXPECT_EQ(error->code(), code) << label;
        EXPECT_EQ(error->reason(), QString::fromLocal8Bit(std::strerror(code))) << label;
    }
    ASSERT_TRUE(createXattr(file, "user.new", "made"));
    EXPECT_EQ(rawAttributes(file), (Attributes{{"user.a", "kept"}, {"user.new", "made"}}));
    EXPECT_EQ(Error::describe(ENODATA), u"No data available"_s);
}

// Another process flips the value between a short and a long one while we read, by every read
// path (by path, relative to a folder as the walks read, and the inspector's whole list): every
// read is one of the two values exactly, never padded, never a failure, never missing. The long
// one is longer than a read in one call takes, so that it is read by its size; the list grows
// past what one call takes in the same way.
TEST_F(XattrAccessTest, ReadsSurviveAWriterChangingTheSize) {
    const QString folder = makeFolder(u"d"_s);
    const QString file = makeFile(u"d/f"_s);
    const QByteArray path = nativePath(file);
    const QByteArray shortValue(10, 's'), longValue(SizedRead::shortValue + 2000, 'L');
    setRaw(file, "user.flip", shortValue);
    setRaw(file, "user.other", "o");
    QList<QByteArray> longNames;
    for (char c = 'a'; qsizetype(longNames.size()) * 200 <= SizedRead::shortList; ++c)
        longNames.append("user.flicker-" + QByteArray(190, c));
    const int folderFd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);

    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        for (;;) {
            ::setxattr(path.constData(), "user.flip", longValue.constData(), longValue.size(), 0);
            ::setxattr(path.constData(), "user.flip", shortValue.constData(), shortValue.size(), 0);
            // The list changes size too, across what one call reads.
            for (const QByteArray& name : longNames)
                ::setxattr(path.constData(), name.constData(), "x", 1, 0);
            for (const QByteArray& name : longNames)
                ::removexattr(path.constData(), name.constData());
        }
    }
    const auto isFlip = [&](const QByteArray& v) { return v == shortValue || v == longValue; };
    const auto hasBoth = [](const auto& names) {
        return names.contains("user.flip") && names.contains("user.other");
    };
    for (int i = 0; i < 1000 && !HasFailure(); ++i) {
        const Result<QByteArray> value = getXattr(path, "user.flip");
        EXPECT_TRUE(value && isFlip(*value));
        const Result<QList<QByteArray>> names = listXattrs(path);
        EXPECT_TRUE(names && hasBoth(*names));
        const Result<QByteArray> atValue = FolderXattrAccess::get(folderFd, "f", "user.flip");
        EXPECT_TRUE(atValue && isFlip(*atValue));
        QByteArray list;
        EXPECT_TRUE(FolderXattrAccess::list(folderFd, "f", list) && hasBoth(list.split('\0')));
        const ResourceList items = ResourceList::ofPath(file);
        EXPECT_TRUE(items.failures().isEmpty());
        QMap<QByteArray, QByteArray> values;
        for (const ResourceItemPtr& item : items.children())
            values.insert(item->rawName(), item->data());
        EXPECT_TRUE(isFlip(values.value("user.flip")) && values.contains("user.other"));
    }
    ::close(folderFd);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}
