#include "cli/CliRunner.h"

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QProcess>
#include <gtest/gtest.h>

void PrintTo(const CliResult& result, std::ostream* os) {
    *os << "exit " << result.exitCode << ", out \"" << result.out.toStdString() << "\", err \""
        << result.err.toStdString() << '"';
}

CliResult runProcess(const QStringList& command, const QByteArray& input,
                     const QStringList& environment) {
    QProcess process;
    if (!environment.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment() + environment);
    process.start(command.first(), command.mid(1));
    EXPECT_TRUE(process.waitForStarted()) << command.first().toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

CliResult runCli(const QStringList& arguments, const QByteArray& input,
                 const QStringList& environment) {
    return runProcess(QStringList{QStringLiteral(PALVORN_CLI_PATH)} + arguments, input,
                      environment);
}

CliResult runCliBytes(const QList<QByteArray>& arguments, const QString& outputPath) {
    // Python hands the bytes to execv unchanged; QProcess would encode text.
    QStringList command{QStringLiteral("python3"), QStringLiteral("-c"),
                        QStringLiteral("import os, sys\n"
                                       "if sys.argv[2]:\n"
                                       "    os.dup2(os.open(sys.argv[2], os.O_WRONLY), 1)\n"
                                       "os.execv(sys.argv[1], [os.fsencode(sys.argv[1])] +\n"
                                       "         [bytes.fromhex(a) for a in sys.argv[3:]])\n"),
                        QStringLiteral(PALVORN_CLI_PATH), outputPath};
    for (const QByteArray& argument : arguments)
        command.append(QString::fromLatin1(argument.toHex()));
    return runProcess(command);
}

RawResult runRaw(const QList<QByteArray>& arguments, const QByteArray& input,
                 const QStringList& environment) {
    QStringList command{QStringLiteral("-c"),
                        QStringLiteral("import os, sys\n"
                                       "os.execv(sys.argv[1], [os.fsencode(sys.argv[1])] +\n"
                                       "         [bytes.fromhex(a) for a in sys.argv[2:]])\n"),
                        QStringLiteral(PALVORN_CLI_PATH)};
    for (const QByteArray& argument : arguments)
        command.append(QString::fromLatin1(argument.toHex()));
    QProcess process;
    process.setEnvironment(QProcess::systemEnvironment() + environment);
    process.start(QStringLiteral("python3"), command);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray runOnTerminal(const QList<QByteArray>& arguments, unsigned short columns) {
    std::vector<char*> argv{const_cast<char*>(PALVORN_CLI_PATH)};
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    struct winsize size = {};
    size.ws_row = 24;
    size.ws_col = columns;
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, columns > 0 ? &size : nullptr);
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    EXPECT_GT(child, 0);
    QByteArray shown;
    char buffer[4096];
    // The terminal's reads end with an error once the program has closed its side.
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, got);
    ::close(terminal);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown.constData();
    return shown;
}

QString errorLine(const QString& path, const QString& name, const QString& reason) {
    return errorLine(path, name + QStringLiteral(": ") + reason);
}

QString errorLine(const QString& path, const QString& reason) {
    return QStringLiteral("palvorn-cli: ") + path + QStringLiteral(": ") + reason + u'\n';
}

QStringList asAnotherUser(const QStringList& command) {
    if (::geteuid() != 0)
        return command;
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                       QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")} +
           command;
}

CliResult runCliUnprivileged(const QStringList& arguments) {
    return runProcess(asAnotherUser(QStringList{QStringLiteral(PALVORN_CLI_PATH)} + arguments));
}
