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

CliResult runCli(const QStringList& arguments, const QByteArray& input,
                 const QStringList& environment) {
    return runProgram(QStringLiteral(PALVORN_CLI_PATH), arguments, input, environment);
}

CliResult runCliBytes(const QList<QByteArray>& arguments, const QString& outputPath) {
    // Python hands the bytes to execv unchanged; QProcess would encode text.
    QStringList hexArguments{QStringLiteral(PALVORN_CLI_PATH), outputPath};
    for (const QByteArray& argument : arguments)
        hexArguments.append(QString::fromLatin1(argument.toHex()));
    return runProgram(
        QStringLiteral("python3"),
        QStringList{QStringLiteral("-c"),
                    QStringLiteral("import os, sys\n"
                                   "if sys.argv[2]:\n"
                                   "    os.dup2(os.open(sys.argv[2], os.O_WRONLY), 1)\n"
                                   "args = [os.fsencode(sys.argv[1])]\n"
                                   "args += [bytes.fromhex(a) for a in sys.argv[3:]]\n"
                                   "os.execv(args[0], args)\n")} +
            hexArguments,
        {});
}

QString subject(const QString& path, const QString& name) {
    const QString where = QStringLiteral("\u201c") + path + QStringLiteral("\u201d)");
    if (name.isEmpty())
        return QStringLiteral(" (") + where;
    return QStringLiteral(" (attribute \u201c") + name + QStringLiteral("\u201d of ") + where;
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
