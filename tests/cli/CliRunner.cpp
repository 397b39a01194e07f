#include "cli/CliRunner.h"

#include <unistd.h>

#include <QProcess>
#include <gtest/gtest.h>

namespace {

CliResult runProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
                     const QStringList& environment = {}) {
    QProcess process;
    if (!environment.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment() + environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

CliResult runCli(const QStringList& arguments, const QByteArray& input) {
    return runProgram(QStringLiteral(PALVORN_CLI_PATH), arguments, input);
}

CliResult runCliWith(const QStringList& environment, const QStringList& arguments) {
    return runProgram(QStringLiteral(PALVORN_CLI_PATH), arguments, {}, environment);
}

CliResult runCliUnprivileged(const QStringList& arguments) {
    if (::geteuid() != 0)
        return runCli(arguments);
    return runProgram(
        QStringLiteral("setpriv"),
        QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                    QStringLiteral("--clear-groups"), QStringLiteral(PALVORN_CLI_PATH)} +
            arguments,
        {});
}
