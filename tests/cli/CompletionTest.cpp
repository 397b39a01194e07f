#include "support/XattrFixture.h"

#include <QFileInfo>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

// Sources the completion in a plain bash (and, where the package is installed, on top of
// bash-completion's helpers), completes each line, and prints the replies one per line.
QStringList complete(const QStringList& words, bool withBashCompletion) {
    QString script;
    if (withBashCompletion)
        script += u"source /usr/share/bash-completion/bash_completion\n"_s;
    script +=
        u"source \"$COMPLETION\"\n"
        u"COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; COMP_POINT=${#COMP_LINE}\n"
        u"_palvorn_cli\n"
        u"printf '%s\\n' \"${COMPREPLY[@]}\"\n"_s;
    QProcess bash;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"COMPLETION"_s, QStringLiteral(PALVORN_COMPLETION));
    environment.insert(u"PATH"_s, QFileInfo(QStringLiteral(PALVORN_CLI_PATH)).path() + u':' +
                                      environment.value(u"PATH"_s));
    bash.setProcessEnvironment(environment);
    bash.start(u"bash"_s,
               QStringList{u"--norc"_s, u"--noprofile"_s, u"-c"_s, script, u"bash"_s} + words);
    EXPECT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
    QStringList replies =
        QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    replies.sort();
    return replies;
}

class CompletionTest : public XattrFixture {};

} // namespace

TEST_F(CompletionTest, CompletesCommandsOptionsPathsAndTheNamesOfTheTypedFile) {
    const QString file = makeFile(u"notes.txt"_s);
    setRaw(file, "user.comment", "c");
    setRaw(file, "user.color", "blue");
    setRaw(file, "user.with space", "s");
    makeFolder(u"nested"_s);
    const QString folder = pathOf(u"x"_s).chopped(1);

    const struct {
        QStringList words;
        QStringList replies;
    } cases[] = {
        {{u"du"_s}, {u"dump"_s}},
        {{u"dump"_s, u"--enc"_s}, {u"--encoding"_s}},
        {{u"strip"_s, u"--"_s},
         {u"--backup"_s, u"--help"_s, u"--one-file-system"_s, u"--quiet"_s, u"--threads"_s}},
        {{u"dump"_s, u"--encoding"_s, QString()}, {u"base64"_s, u"hex"_s, u"text"_s}},
        {{u"get"_s, file, u"--as"_s, u"p"_s}, {u"plist"_s}},
        {{u"get"_s, folder + u"no"_s}, {folder + u"notes.txt"_s}},
        {{u"crawl"_s, folder + u"n"_s}, {folder + u"nested"_s}},
        {{u"get"_s, file, u"user.co"_s}, {u"user.color"_s, u"user.comment"_s}},
        {{u"rm"_s, file, u"user.color"_s, u"user.w"_s}, {u"user.with\\ space"_s}},
        {{u"flag"_s, u"strip"_s, file, u"user.com"_s}, {u"user.comment"_s}},
        {{u"flag"_s, u"add"_s, file, u"x"_s, u"user.col"_s}, {u"user.color"_s}},
        {{u"get"_s, pathOf(u"missing"_s), u"user."_s}, {}},
    };
    QList<bool> modes{false};
    if (QFileInfo::exists(u"/usr/share/bash-completion/bash_completion"_s))
        modes.append(true);
    for (const bool withBashCompletion : modes) {
        for (const auto& [words, replies] : cases)
            EXPECT_EQ(complete(QStringList{u"palvorn-cli"_s} + words, withBashCompletion), replies)
                << words.join(u' ').toStdString()
                << (withBashCompletion ? " (bash-completion)" : "");
    }
}
