#include "model/XattrAccess.h"

#include "model/ListedXattrNames.h"
#include "support/XattrFixture.h"

#include <cerrno>
#include <functional>
#include <sys/xattr.h>

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class XattrAccessTest : public XattrFixture {};

// The order the system itself reports, read without the code under test.
QList<QByteArray> rawNames(const QString& path) {
    QByteArray buffer(65536, '\0');
    const ssize_t size =
        ::listxattr(QFile::encodeName(path).constData(), buffer.data(), buffer.size());
    buffer.truncate(size < 0 ? 0 : size);
    QList<QByteArray> names = buffer.split('\0');
    names.removeAll(QByteArray());
    return names;
}

} // namespace

TEST_F(XattrAccessTest, FileWithoutAttributesListsNothing) {
    EXPECT_TRUE(listXattrs(nativePath(makeFile(u"plain"_s))).isEmpty());
}

TEST_F(XattrAccessTest, ListsNamesInSystemOrderAndDropsNamesThatAreNotUtf8) {
    const QString file = makeFile(u"f"_s);
    for (const char* name :
         {"user.zeta", "user.bad\xff\xfe", "user.alpha", "user.\xc3\xa9t\xc3\xa9", "user.mid"})
        setRaw(file, name, "v");

    QStringList expected;
    for (const QByteArray& raw : rawNames(file)) {
        if (raw != "user.bad\xff\xfe")
            expected.append(QString::fromUtf8(raw));
    }
    ASSERT_EQ(expected.size(), 4);
    EXPECT_EQ(listXattrs(nativePath(file)), expected);
    EXPECT_TRUE(expected.contains(u"user.été"_s));

    // The walks' byte listing keeps the same names, reuses its buffer from item to item, and its
    // names read back as listed.
    ListedXattrNames listed;
    for (const QString& item : {file, makeFile(u"none"_s), file}) {
        QStringList names;
        for (const QByteArrayView name : listed.read(nativePath(item))) {
            names.append(QString::fromUtf8(name));
            EXPECT_EQ(getListedXattr(nativePath(item), name.data()), "v");
            EXPECT_EQ(getListedXattrSize(nativePath(item), name.data()), 1);
        }
        EXPECT_EQ(names, item == file ? expected : QStringList());
    }
}

TEST_F(XattrAccessTest, ReadsWholeValuesIncludingEmptyOnes) {
    const QString file = makeFile(u"f"_s);
    const QByteArray binary("\x00\x01\xff\x00", 4);
    setRaw(file, "user.empty", {});
    setRaw(file, "user.binary", binary);

    EXPECT_EQ(getXattr(nativePath(file), u"user.empty"_s), QByteArray());
    EXPECT_EQ(getXattrSize(nativePath(file), u"user.empty"_s), 0);
    EXPECT_EQ(getXattr(nativePath(file), u"user.binary"_s), binary);
    EXPECT_EQ(getXattrSize(nativePath(file), u"user.binary"_s), 4);
}

TEST_F(XattrAccessTest, WriteCreatesThenReplaces) {
    const QString file = makeFile(u"f"_s);
    setXattr(nativePath(file), u"user.note"_s, "first value");
    EXPECT_EQ(getRaw(file, "user.note"), "first value");
    setXattr(nativePath(file), u"user.note"_s, "2nd");
    EXPECT_EQ(getRaw(file, "user.note"), "2nd");
    setXattr(nativePath(file), u"user.note"_s, {});
    EXPECT_TRUE(hasRaw(file, "user.note"));
    EXPECT_EQ(getRaw(file, "user.note"), QByteArray());

    removeXattr(nativePath(file), u"user.note"_s);
    EXPECT_FALSE(hasRaw(file, "user.note"));
}

TEST_F(XattrAccessTest, NamesWithoutNamespaceMeanTheUserNamespace) {
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

    // Written without a namespace, listed with it, and reachable by either spelling.
    const QString file = makeFile(u"f"_s);
    setXattr(nativePath(file), u"com.apple.quarantine"_s, "0083;");
    EXPECT_EQ(getRaw(file, "user.com.apple.quarantine"), "0083;");
    EXPECT_EQ(listXattrs(nativePath(file)), QStringList{u"user.com.apple.quarantine"_s});
    EXPECT_EQ(getXattr(nativePath(file), u"com.apple.quarantine"_s), "0083;");
    EXPECT_EQ(getXattr(nativePath(file), u"user.com.apple.quarantine"_s), "0083;");
    removeXattr(nativePath(file), u"com.apple.quarantine"_s);
    EXPECT_TRUE(listXattrs(nativePath(file)).isEmpty());
}

TEST_F(XattrAccessTest, SymbolicLinksAreFollowed) {
    const QString target = makeFile(u"target"_s);
    const QString link = pathOf(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));

    setXattr(nativePath(link), u"user.via-link"_s, "x");
    EXPECT_EQ(getRaw(target, "user.via-link"), "x");
    EXPECT_EQ(listXattrs(nativePath(link)), QStringList{u"user.via-link"_s});
    EXPECT_EQ(getXattr(nativePath(link), u"user.via-link"_s), "x");
    removeXattr(nativePath(link), u"user.via-link"_s);
    EXPECT_FALSE(hasRaw(target, "user.via-link"));
}

TEST_F(XattrAccessTest, FailuresCarryTheSystemsCodeAndText) {
    const QByteArray file = nativePath(makeFile(u"f"_s));
    const QByteArray missing = nativePath(pathOf(u"missing"_s));
    const QByteArray inMissingFolder = nativePath(pathOf(u"missing/f"_s));
    const struct {
        const char* label;
        std::function<void()> operation;
        int code;
    } cases[] = {
        {"get missing attribute", [&] { getXattr(file, u"user.none"_s); }, ENODATA},
        {"size of missing attribute", [&] { getXattrSize(file, u"user.none"_s); }, ENODATA},
        {"remove missing attribute", [&] { removeXattr(file, u"user.none"_s); }, ENODATA},
        {"list missing file", [&] { listXattrs(missing); }, ENOENT},
        {"get on missing file", [&] { getXattr(missing, u"user.a"_s); }, ENOENT},
        {"size on missing file", [&] { getXattrSize(missing, u"user.a"_s); }, ENOENT},
        {"set on missing file", [&] { setXattr(inMissingFolder, u"user.a"_s, "v"); }, ENOENT},
        {"remove on missing file", [&] { removeXattr(missing, u"user.a"_s); }, ENOENT},
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
    EXPECT_EQ(PosixError::describe(ENODATA), u"No data available"_s);
    EXPECT_EQ(PosixError::describe(ENOENT), u"No such file or directory"_s);
}
