#include "support/CliFixture.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

using CompletionTest = CliFixture;

namespace {

// Sources the completion in a plain bash (or on top of bash-completion's helpers), completes the
// line of words, and returns the replies, sorted.
QStringList complete(const QStringList& words, const QString& helpers) {
    const CliResult bash = runProcess(
        QStringList{u"bash"_s, u"--norc"_s, u"--noprofile"_s, u"-c"_s,
                    helpers + u"source '" PALVORN_COMPLETION "'\n"
                              u"COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; "
                              u"COMP_POINT=${#COMP_LINE}\n"
                              u"_palvorn_cli\n"
                              u"printf '%s\\n' \"${COMPREPLY[@]}\"\n"_s,
                    u"bash"_s, u"palvorn-cli"_s} +
            words,
        {},
        {u"PATH="_s + QFileInfo(QStringLiteral(PALVORN_CLI_PATH)).path() + u':' +
         qEnvironmentVariable("PATH")});
    EXPECT_EQ(bash.exitCode, 0) << bash.err.toStdString();
    QStringList replies = bash.out.split(u'\n', Qt::SkipEmptyParts);
    replies.sort();
    return replies;
}

} // namespace

TEST_F(CompletionTest, CompletesCommandsOptionsPathsAndTheNamesOfTheTypedFile) {
    const QString file = makeFile(u"notes.txt"_s);
    setRaw(file, "user.comment", "c");
    setRaw(file, "user.color", "blue");
    setRaw(file, "user.with space", "s");
    // Offered as list shows them, which is how palvorn-cli takes them back.
    setRaw(file, "user.back\\slash", "b");
    setRaw(file, "user.esc\x1b", "e");
    makeFolder(u"nested"_s);
    setRaw(makeFile(u"two words"_s), "user.spaced", "s");
    setRaw(makeFile(u"it's here"_s), "user.quoted", "q");
    ASSERT_TRUE(QFile::link(file, pathOf(u"link"_s)));
    const QString folder = pathOf(u"x"_s).chopped(1);

    // Commands and options are read from the program's own --help.
    const QList<std::pair<QStringList, QStringList>> cases = {
        {{QString()},
         {u"--help"_s, u"--version"_s, u"-h"_s, u"-v"_s, u"compare"_s, u"cp"_s, u"crawl"_s,
          u"dump"_s, u"flag"_s, u"get"_s, u"list"_s, u"quarantine"_s, u"restore"_s, u"rm"_s,
          u"set"_s, u"show"_s, u"strip"_s}},
        {{u"du"_s}, {u"dump"_s}},
        {{u"dump"_s, u"--enc"_s}, {u"--encoding"_s}},
        {{u"strip"_s, u"--"_s},
         {u"--backup"_s, u"--help"_s, u"--one-file-system"_s, u"--quiet"_s, u"--threads"_s,
          u"--version"_s}},
        {{u"list"_s, u"-"_s},
         {u"--help"_s, u"--json"_s, u"--match"_s, u"--no-dereference"_s, u"--null"_s,
          u"--version"_s, u"-0"_s, u"-h"_s, u"-m"_s, u"-v"_s}},
        {{u"list"_s, u"-m"_s, QString()}, {}},
        {{u"list"_s, u"--match"_s, u"user"_s, folder + u"no"_s}, {folder + u"notes.txt"_s}},
        {{u"dump"_s, u"--encoding"_s, QString()}, {u"base64"_s, u"hex"_s, u"text"_s}},
        {{u"get"_s, file, u"--as"_s, u"p"_s}, {u"plist"_s}},
        {{u"get"_s, folder + u"no"_s}, {folder + u"notes.txt"_s}},
        {{u"crawl"_s, folder + u"n"_s}, {folder + u"nested"_s}},
        {{u"get"_s, file, u"user.co"_s}, {u"user.color"_s, u"user.comment"_s}},
        {{u"rm"_s, file, u"user.color"_s, u"user.w"_s}, {u"user.with\\ space"_s}},
        {{u"flag"_s, u"strip"_s, file, u"user.com"_s}, {u"user.comment"_s}},
        {{u"flag"_s, u"add"_s, file, u"x"_s, u"user.col"_s}, {u"user.color"_s}},
        {{u"get"_s, file, u"user.b"_s}, {u"user.back\\\\\\\\slash"_s}},
        {{u"get"_s, file, u"user.back\\\\\\\\s"_s}, {u"user.back\\\\\\\\slash"_s}},
        {{u"get"_s, file, u"'user.back\\\\s"_s}, {u"user.back\\\\\\\\slash"_s}},
        {{u"rm"_s, file, u"user.e"_s}, {u"user.esc\\\\x1b"_s}},
        {{u"get"_s, folder + u"two\\ words"_s, u"user."_s}, {u"user.spaced"_s}},
        {{u"get"_s, u"'"_s + folder + u"two words'"_s, u"user."_s}, {u"user.spaced"_s}},
        {{u"get"_s, u"\""_s + folder + u"two words\""_s, u"user."_s}, {u"user.spaced"_s}},
        {{u"get"_s, u"-h"_s, u"\""_s + folder + u"two words\""_s, u"user."_s}, {u"user.spaced"_s}},
        {{u"get"_s, folder + u"link"_s, u"user.co"_s}, {u"user.color"_s, u"user.comment"_s}},
        {{u"get"_s, u"-h"_s, folder + u"link"_s, u"user.co"_s}, {}},
        {{u"show"_s, u"\""_s + folder + u"it's here\""_s, u"user."_s}, {u"user.quoted"_s}},
        {{u"show"_s, folder + u"it\\'s\\ here"_s, u"user."_s}, {u"user.quoted"_s}},
        {{u"show"_s, u"'"_s + folder + u"it'\\''s here'"_s, u"user."_s}, {u"user.quoted"_s}},
        {{u"get"_s, pathOf(u"missing"_s), u"user."_s}, {}},
    };
    const QString bashCompletion = u"/usr/share/bash-completion/bash_completion"_s;
    QStringList helpers{QString()};
    if (QFileInfo::exists(bashCompletion))
        helpers.append(u"source "_s + bashCompletion + u'\n');
    for (const QString& helper : helpers)
        for (const auto& [words, replies] : cases)
            EXPECT_EQ(complete(words, helper), replies)
                << words.join(u' ').toStdString() << helper.toStdString();
}
