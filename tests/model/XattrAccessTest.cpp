#include "model/XattrAccess.h"

#include "model/ByteText.h"
#include "model/FolderXattrAccess.h"
#include "model/ListedXattrNames.h"
#include "model/ResourceList.h"
#include "support/XattrFixture.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class XattrAccessTest : public XattrFixture {};

// The names as Python lists them, hex-encoded one a line: an oracle that shares no code with ours.
QList<QByteArray> pythonNames(const QString& path) {
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s,
                                u"import os,sys\nfor n in os.listxattr(os.fsencode(sys.argv[1])): "
                                "print(os.fsencode(n).hex())"_s,
                                path});
    EXPECT_TRUE(python.waitForFinished(-1));
    QList<QByteArray> names;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            names.append(QByteArray::fromHex(line));
    }
    return names;
}

} // namespace

TEST_F(XattrAccessTest, FileWithoutAttributesListsNothing) {
    EXPECT_TRUE(listXattrs(nativePath(makeFile(u"plain"_s))).isEmpty());
}

// Names are bytes: whatever the system lists is listed, read, sized, written and removed.
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
    for (const QByteArray& name : names)
        setRaw(file, name, "v:" + name);

    const QList<QByteArray> oracle = pythonNames(file);
    ASSERT_EQ(oracle.size(), names.size());
    EXPECT_EQ(listXattrs(nativePath(file)), oracle);

    // The walks' byte listing gives the same names and reuses its buffer from item to item.
    ListedXattrNames listed;
    for (const QString& item : {file, makeFile(u"none"_s), file}) {
        QList<QByteArray> got;
        for (const QByteArrayView name : listed.read(nativePath(item)))
            got.append(name.toByteArray());
        EXPECT_EQ(got, item == file ? oracle : QList<QByteArray>());
    }

    for (const QByteArray& name : names) {
        EXPECT_EQ(getXattr(nativePath(file), name), "v:" + name);
        EXPECT_EQ(getXattrSize(nativePath(file), name), name.size() + 2);
        setXattr(nativePath(file), name, "new");
        EXPECT_EQ(getRaw(file, name), "new");
        removeXattr(nativePath(file), name);
        EXPECT_FALSE(hasRaw(file, name));
    }
}

TEST_F(XattrAccessTest, ReadsWholeValuesIncludingEmptyOnes) {
    const QString file = makeFile(u"f"_s);
    const QByteArray binary("\x00\x01\xff\x00", 4);
    setRaw(file, "user.empty", {});
    setRaw(file, "user.binary", binary);

    EXPECT_EQ(getXattr(nativePath(file), "user.empty"), QByteArray());
    EXPECT_EQ(getXattrSize(nativePath(file), "user.empty"), 0);
    EXPECT_EQ(getXattr(nativePath(file), "user.binary"), binary);
    EXPECT_EQ(getXattrSize(nativePath(file), "user.binary"), 4);
    EXPECT_EQ(getListedXattr(nativePath(file), "user.binary"), binary);
    EXPECT_EQ(getListedXattrSize(nativePath(file), "user.binary"), 4);
}

TEST_F(XattrAccessTest, WriteCreatesThenReplacesAndCreateNeverReplaces) {
    const QString file = makeFile(u"f"_s);
    setXattr(nativePath(file), "user.note", "first value");
    EXPECT_EQ(getRaw(file, "user.note"), "first value");
    setXattr(nativePath(file), "user.note", {});
    EXPECT_TRUE(hasRaw(file, "user.note"));
    EXPECT_EQ(getRaw(file, "user.note"), QByteArray());

    createXattr(nativePath(file), "user.new", "made");
    EXPECT_EQ(getRaw(file, "user.new"), "made");
    try {
        createXattr(nativePath(file), "user.new", "clobber");
        ADD_FAILURE() << "an existing attribute was replaced";
    } catch (const PosixError& error) {
        EXPECT_EQ(error.code(), EEXIST);
    }
    EXPECT_EQ(getRaw(file, "user.new"), "made");

    removeXattr(nativePath(file), "user.note");
    EXPECT_FALSE(hasRaw(file, "user.note"));
}

TEST_F(XattrAccessTest, TypedNamesWithoutNamespaceMeanTheUserNamespace) {
    const struct {
        const char16_t* given;
        const char* system;
    } cases[] = {
        {u"com.apple.quarantine", "user.com.apple.quarantine"},
        {u"user.xdg.origin.url", "user.xdg.origin.url"},
        {u"trusted.x", "trusted.x"},
        {u"security.selinux", "security.selinux"},
        {u"system.posix_acl_access", "system.posix_acl_access"},
        {u"username", "user.username"},
        {u"User.x", "user.User.x"},
        {u"#flag", "user.#flag"},
        {u"caf\u00e9", "user.caf\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(systemAttributeName(QString::fromUtf16(c.given)), QByteArray(c.system))
            << QString::fromUtf16(c.given).toStdString();
    EXPECT_EQ(systemAttributeName(QByteArray("bad\xff")), QByteArray("user.bad\xff"));
    // Typed text keeps the bytes it was decoded from, as an argument does.
    EXPECT_EQ(systemAttributeName(ByteText::decode("user.bad\xff")), QByteArray("user.bad\xff"));

    // The access layer itself takes names as they are: no rule, no second spelling.
    const QString file = makeFile(u"f"_s);
    setXattr(nativePath(file), systemAttributeName(u"com.apple.quarantine"_s), "0083;");
    EXPECT_EQ(listXattrs(nativePath(file)), QList<QByteArray>{"user.com.apple.quarantine"});
    EXPECT_THROW(getXattr(nativePath(file), "com.apple.quarantine"), PosixError);
}

TEST_F(XattrAccessTest, SymbolicLinksAreFollowed) {
    const QString target = makeFile(u"target"_s);
    const QString link = pathOf(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));

    setXattr(nativePath(link), "user.via-link", "x");
    EXPECT_EQ(getRaw(target, "user.via-link"), "x");
    EXPECT_EQ(listXattrs(nativePath(link)), QList<QByteArray>{"user.via-link"});
    EXPECT_EQ(getXattr(nativePath(link), "user.via-link"), "x");
    removeXattr(nativePath(link), "user.via-link");
    EXPECT_FALSE(hasRaw(target, "user.via-link"));
}

TEST_F(XattrAccessTest, FailuresCarryTheSystemsCodeAndText) {
    const QByteArray file = nativePath(makeFile(u"f"_s));
    const QByteArray missing = nativePath(pathOf(u"missing"_s));
    const QByteArray inMissingFolder = nativePath(pathOf(u"missing/f"_s));
    const QByteArray withNul("user.a\0b", 8);
    setRaw(QString::fromUtf8(file), "user.a", "kept");
    const struct {
        const char* label;
        std::function<void()> operation;
        int code;
    } cases[] = {
        {"get missing attribute", [&] { getXattr(file, "user.none"); }, ENODATA},
        {"size of missing attribute", [&] { getXattrSize(file, "user.none"); }, ENODATA},
        {"remove missing attribute", [&] { removeXattr(file, "user.none"); }, ENODATA},
        {"list missing file", [&] { listXattrs(missing); }, ENOENT},
        {"get on missing file", [&] { getXattr(missing, "user.a"); }, ENOENT},
        {"size on missing file", [&] { getXattrSize(missing, "user.a"); }, ENOENT},
        {"set on missing file", [&] { setXattr(inMissingFolder, "user.a", "v"); }, ENOENT},
        {"remove on missing file", [&] { removeXattr(missing, "user.a"); }, ENOENT},
        // A NUL would cut the name short and act on "user.a".
        {"get with NUL", [&] { getXattr(file, withNul); }, EINVAL},
        {"set with NUL", [&] { setXattr(file, withNul, "v"); }, EINVAL},
        {"remove with NUL", [&] { removeXattr(file, withNul); }, EINVAL},
    };
    for (const auto& c : cases) {
        try {
            c.operation();
            ADD_FAILURE() << c.label << ": no error";
        } catch (const PosixError& error) {
            EXPECT_EQ(error.code(), c.code) << c.label;
            EXPECT_EQ(error.description(), QString::fromLocal8Bit(std::strerror(c.code)))
                << c.label;
        }
    }
    EXPECT_EQ(getRaw(QString::fromUtf8(file), "user.a"), "kept");
    EXPECT_EQ(PosixError::describe(ENODATA), u"No data available"_s);
    EXPECT_EQ(PosixError::describe(ENOENT), u"No such file or directory"_s);
}

// Another process flips the value between a short and a long one while we read, by every read
// path (by path, relative to a folder as the walks read, and the inspector's whole list): every
// read is one of the two values exactly, never padded, never a failure, never missing.
TEST_F(XattrAccessTest, ReadsSurviveAWriterChangingTheSize) {
    const QString folder = makeFolder(u"d"_s);
    const QString file = makeFile(u"d/f"_s);
    const QByteArray path = nativePath(file);
    const QByteArray shortValue(10, 's');
    const QByteArray longValue(3000, 'L');
    setRaw(file, "user.flip", shortValue);
    setRaw(file, "user.other", "o");
    const int folderFd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);

    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        for (;;) {
            ::setxattr(path.constData(), "user.flip", longValue.constData(), longValue.size(), 0);
            ::setxattr(path.constData(), "user.flip", shortValue.constData(), shortValue.size(), 0);
            // The list changes size too.
            ::setxattr(path.constData(), "user.flicker-with-a-longer-name", "x", 1, 0);
            ::removexattr(path.constData(), "user.flicker-with-a-longer-name");
        }
    }
    const auto isFlipValue = [&](const QByteArray& value) {
        return value == shortValue || value == longValue;
    };
    const auto hasBoth = [](const auto& names) {
        return names.contains("user.flip") && names.contains("user.other");
    };
    const struct {
        const char* path;
        std::function<void()> read;
    } paths[] = {
        {"by path",
         [&] {
             EXPECT_TRUE(isFlipValue(getXattr(path, "user.flip")));
             EXPECT_TRUE(hasBoth(listXattrs(path)));
         }},
        {"relative to the folder",
         [&] {
             EXPECT_TRUE(isFlipValue(FolderXattrAccess::get(folderFd, "f", "user.flip")));
             QByteArray list;
             FolderXattrAccess::list(folderFd, "f", list);
             EXPECT_TRUE(hasBoth(list.split('\0')));
         }},
        {"the inspector's list",
         [&] {
             const ResourceList list = ResourceList::ofPath(file);
             EXPECT_TRUE(list.failures().isEmpty());
             QList<QByteArray> names;
             for (const ResourceItemPtr& item : list.children()) {
                 names.append(item->rawName());
                 if (item->rawName() == "user.flip") {
                     EXPECT_TRUE(isFlipValue(item->data()));
                 }
             }
             EXPECT_TRUE(hasBoth(names));
         }},
    };
    for (const auto& c : paths) {
        int failures = 0;
        for (int i = 0; i < 1000 && failures <= 3; ++i) {
            try {
                c.read();
            } catch (const PosixError& error) {
                ++failures;
                ADD_FAILURE() << c.path << ": " << error.what();
            }
        }
    }
    ::close(folderFd);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}
