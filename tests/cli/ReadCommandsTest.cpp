#include "support/CliFixture.h"

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

using ReadCommandsTest = CliFixture;

// The display texts and conversions are the core's (tested there); list, compare and the failure
// lines are held to their exact text by the other command tests. Here show finds one name, bare or
// whole, and get prints each format, by default the one of the value's type.
TEST_F(ReadCommandsTest, ShowOneNameAndGetEachFormat) {
    const QString file = makeFile(u"demo.txt"_s, "content");
    setRaw(file, "user.text", "Zo\xc3\xab's notes");
    setRaw(file, "user.short", "Hello");
    // A bare name means the user namespace, as everywhere else.
    for (const QString& name : {u"user.short"_s, u"short"_s})
        EXPECT_EQ(runCli({u"show"_s, file, name}),
                  success(file + u"\n\n**********\nuser.short (5 bytes):\n\n<48656c6c 6f>\n\n"
                                 u"String content:\n\nHello\n"_s));
    const QList<std::pair<QStringList, QString>> gets = {
        {{u"text"_s}, u"Zo\u00eb's notes"_s},
        {{u"user.short"_s}, u"<48656c6c 6f>"_s},
        {{u"user.short"_s, u"--as"_s, u"text"_s}, u"Hello"_s},
        {{u"user.text"_s, u"--as"_s, u"hex"_s}, u"<5a6fc3ab 2773206e 6f746573>"_s},
        {{u"user.short"_s, u"--as"_s, u"plist"_s},
         u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
         u"PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
         u"version=\"1.0\">\n<string>Hello</string>\n</plist>\n"_s},
    };
    for (const auto& [arguments, text] : gets)
        EXPECT_EQ(runCli(QStringList{u"get"_s, file} + arguments), success(text))
            << arguments.join(u' ').toStdString();
}

// Listing names needs no read permission, reading a user value does: as another user, list
// reports the unreadable item once and lists the rest, and compare stops at the first shared
// name, keeping its header, in trouble.
TEST_F(ReadCommandsTest, UnreadableValuesAreReportedByName) {
    const QString writeOnly = makeSharedFile(u"write-only"_s);
    const QString unreadable = makeSharedFile(u"unreadable"_s);
    const QString readable = makeSharedFile(u"readable"_s);
    setRaw(writeOnly, "user.first", "1");
    setRaw(writeOnly, "user.second", "22");
    setRaw(unreadable, "user.shared", "1");
    setRaw(readable, "user.shared", "1");
    const bool root = ::geteuid() == 0;
    if (root) // security values are readable by anyone, so this one must still be listed
        setRaw(writeOnly, "security.palvorn-test", "333");
    for (const QString& path : {writeOnly, unreadable})
        ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner | QFile::WriteOther));
    // Permission is the item's: one line for all its user values.
    EXPECT_EQ(runCliUnprivileged({u"list"_s, writeOnly}),
              failure(errorLine(writeOnly, u"getxattr error: Permission denied"_s),
                      root ? u"security.palvorn-test\t3 bytes\n"_s : QString()));
    EXPECT_EQ(runCliUnprivileged({u"compare"_s, unreadable, readable}),
              (CliResult{2, u"Comparing "_s + unreadable + u" with "_s + readable + u" :\n"_s,
                         errorLine(unreadable, u"compare error: Permission denied"_s)}));
}

// In a folder whose own path is longer than any the system takes (getcwd's bound, PATH_MAX), a
// relative path still names its item, as it does for the system; the report names it so.
TEST_F(ReadCommandsTest, ARelativePathWorksInAFolderDeeperThanPathMax) {
    const QString shallow = makeFile(u"leaf"_s);
    setRaw(shallow, "user.x", "1");
    const QString deep = makeFolder(u"deep"_s);
    const QString script =
        u"cd \"$1\" || exit; n=$(printf 'd%.0s' $(seq 200)); for i in $(seq 25); do "
        "mkdir \"$n\" && cd \"$n\" || exit; done; : > leaf && /usr/bin/python3 -c \"import os; "
        "os.setxattr('leaf', 'user.x', b'1')\" && "
        "exec \"$0\" show leaf"_s;
    const CliResult inDeep =
        runProcess({u"bash"_s, u"-c"_s, script, QStringLiteral(PALVORN_CLI_PATH), deep});
    CliResult expected = runCli({u"show"_s, shallow});
    expected.out.replace(shallow, u"leaf"_s);
    EXPECT_EQ(inDeep, expected);
}
