#pragma once

#include <ostream>

#include <QString>
#include <QStringList>

// What a program run printed; compared whole, so that a failure shows all three.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
    bool operator==(const CliResult&) const = default;
};
void PrintTo(const CliResult& result, std::ostream* os);

// Runs command (the program first) with extra environment variables, for example another HOME.
CliResult runProcess(const QStringList& command, const QByteArray& input = {},
                     const QStringList& environment = {});
// The real palvorn-cli binary.
CliResult runCli(const QStringList& arguments, const QByteArray& input = {},
                 const QStringList& environment = {});

// With arguments as bytes (not UTF-8, as a shell passes $'\xff'), and standard output sent to
// outputPath when one is given (for example /dev/full).
CliResult runCliBytes(const QList<QByteArray>& arguments, const QString& outputPath = {});

// What a run wrote, as bytes.
struct RawResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// palvorn-cli with arguments as bytes, as a shell passes them.
RawResult runRaw(const QList<QByteArray>& arguments, const QByteArray& input = {},
                 const QStringList& environment = {});

// What palvorn-cli wrote to a terminal (both streams), with the terminal's own line ends; on a
// terminal of the given width where one is given. Expects the run to succeed.
QByteArray runOnTerminal(const QList<QByteArray>& arguments, unsigned short columns = 0);

// An error line as palvorn-cli writes it: "palvorn-cli: PATH: NAME: REASON\n".
QString errorLine(const QString& path, const QString& name, const QString& reason);
// "palvorn-cli: PATH: REASON\n", for a failure of the item itself.
QString errorLine(const QString& path, const QString& reason);

// The command as another user when the tests run as root, so that permission checks apply.
QStringList asAnotherUser(const QStringList& command);
CliResult runCliUnprivileged(const QStringList& arguments);
