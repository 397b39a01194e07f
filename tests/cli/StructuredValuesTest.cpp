#include "support/CliFixture.h"

#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

class StructuredValuesTest : public CliFixture {
protected:
    static QString tool(const QString& name) {
        return QStandardPaths::findExecutable(name, {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s});
    }
    // The content section show prints for the one attribute name of path.
    static QString sectionOf(const QString& path, const QString& name) {
        const CliResult shown = runCli({u"show"_s, path, name});
        EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
        const qsizetype start = shown.out.indexOf(u">\n\n"_s);
        return start < 0 ? QString() : shown.out.sliced(start + 3);
    }
};

// show prints an access list, a folder's default list and a program's capabilities as getfacl
// and getcap print them; get prints the same text, and set writes what such a text stands for.
TEST_F(StructuredValuesTest, ShowGetAndSetSpeakAsGetfaclAndGetcap) {
    const QString file = makeFile(u"f"_s);
    const QString folder = makeFolder(u"d"_s);
    runTool(u"setfacl"_s, {u"-m"_s, u"u:nobody:r--,g:daemon:rwx,m::r--"_s, file});
    runTool(u"setfacl"_s, {u"-d"_s, u"-m"_s, u"u:nobody:rwx"_s, folder});
    QString listed = QString::fromUtf8(runTool(u"getfacl"_s, {u"--omit-header"_s, file}));
    listed.chop(1);
    EXPECT_EQ(sectionOf(file, u"system.posix_acl_access"_s),
              u"Access control list:\n\n"_s + listed);
    QString defaults = QString::fromUtf8(runTool(u"getfacl"_s, {u"--omit-header"_s, folder}));
    defaults = defaults.sliced(defaults.indexOf(u"default:"_s)).chopped(1);
    EXPECT_EQ(sectionOf(folder, u"system.posix_acl_default"_s),
              u"Default access control list:\n\n"_s + defaults);
    EXPECT_EQ(runCli({u"get"_s, file, u"system.posix_acl_access"_s}), success(listed));

    const CliResult set = runCli({u"set"_s, file, u"system.posix_acl_access"_s, u"--as"_s, u"acl"_s,
                                  u"u::rw-,u:nobody:rw-,g::r--,m::rw-,o::---"_s});
    EXPECT_EQ(set, success({}));
    EXPECT_EQ(QString::fromUtf8(runTool(u"getfacl"_s, {u"--omit-header"_s, file})),
              u"user::rw-\nuser:nobody:rw-\ngroup::r--\nmask::rw-\nother::---\n\n"_s);
    // A text that stands for no list writes nothing; the structure's word fits only its names.
    const QByteArray before = getRaw(file, "system.posix_acl_access");
    const CliResult refused = runCli({u"set"_s, file, u"system.posix_acl_access"_s, u"--as"_s,
                                      u"acl"_s, u"u::rw-,u:nobody:rw-,g::r--,o::---,o::r--"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(errorLine(file, u"system.posix_acl_access"_s,
                                                 u"Access control list: it has more than one "
                                                 u"other:: entry, so nothing was saved"_s)
                                           .chopped(1)))
        << refused.err.toStdString();
    EXPECT_EQ(getRaw(file, "system.posix_acl_access"), before);
    EXPECT_EQ(runCli({u"get"_s, file, u"user.x"_s, u"--as"_s, u"acl"_s}).exitCode, 2);
    EXPECT_EQ(
        runCli({u"set"_s, file, u"security.capability"_s, u"--as"_s, u"acl"_s, u"="_s}).exitCode,
        2);

    // Capabilities need CAP_SETFCAP; the tests run as root.
    const QString program = makeFile(u"program"_s);
    runTool(tool(u"setcap"_s),
            {u"-n"_s, u"1000"_s, u"cap_net_bind_service,cap_net_raw=ep"_s, program});
    if (!hasRaw(program, "security.capability"))
        GTEST_SKIP() << "file capabilities cannot be set here";
    const QString getcap = QString::fromUtf8(runTool(tool(u"getcap"_s), {u"-n"_s, program}))
                               .sliced(program.size() + 1);
    EXPECT_EQ(sectionOf(program, u"security.capability"_s), u"File capabilities:\n\n"_s + getcap);
    EXPECT_EQ(runCli({u"set"_s, program, u"security.capability"_s, u"--as"_s, u"caps"_s,
                      u"cap_chown+ip"_s}),
              success({}));
    EXPECT_EQ(QString::fromUtf8(runTool(tool(u"getcap"_s), {program})),
              program + u" cap_chown=ip\n"_s);
}
