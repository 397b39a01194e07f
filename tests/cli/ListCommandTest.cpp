#include "model/XattrAccess.h"
#include "support/CliFixture.h"

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

using ListCommandTest = CliFixture;

TEST_F(ListCommandTest, PrintsNameTabSizeInSystemOrder) {
    const QString file = makeFile(u"demo"_s);
    setRaw(file, "user.text", "a text value\n");
    setRaw(file, "user.empty", {});
    setRaw(file, "user.random", QByteArray(300, '\x9c'));
    QString expected;
    for (const QByteArray& name : palvorn::listXattrs(palvorn::nativePath(file)))
        expected += QString::fromUtf8(name) + u'\t' + QString::number(getRaw(file, name).size()) +
                    u" bytes\n"_s;
    const CliResult result = runCli({u"list"_s, file});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, expected);
    EXPECT_TRUE(expected.contains(u"user.empty\t0 bytes\n"_s));
    EXPECT_TRUE(result.err.isEmpty());

    const CliResult missing = runCli({u"list"_s, pathOf(u"missing"_s)});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(missing.err, u"listxattr error: No such file or directory"_s +
                               subject(pathOf(u"missing"_s)) + u'\n');
}

// Listing names needs no read permission, reading a user value does: each unreadable value is
// reported once and the readable ones are still listed.
TEST_F(ListCommandTest, EachUnreadableValueIsReportedAndTheRestListed) {
    const QString file = makeSharedFile(u"write-only"_s);
    setRaw(file, "user.first", "1");
    setRaw(file, "user.second", "22");
    const bool root = ::geteuid() == 0;
    if (root) // security values are readable by anyone, so this one must still be listed
        setRaw(file, "security.palvorn-test", "333");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::WriteOwner | QFile::WriteOther));

    const CliResult result = runCliUnprivileged({u"list"_s, file});
    EXPECT_EQ(result.exitCode, 1);
    QString expected;
    for (const QByteArray& name : palvorn::listXattrs(palvorn::nativePath(file))) {
        if (name.startsWith("user."))
            expected += u"getxattr error: Permission denied"_s +
                        subject(file, QString::fromUtf8(name)) + u'\n';
    }
    EXPECT_EQ(result.err, expected);
    EXPECT_EQ(result.out, root ? u"security.palvorn-test\t3 bytes\n"_s : QString());
}
