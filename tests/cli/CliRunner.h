#pragma once

#include <QString>
#include <QStringList>

// Runs the real palvorn-cli binary and collects what it printed.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// With extra environment variables, for example another HOME.
CliResult runCli(const QStringList& arguments, const QByteArray& input = {},
                 const QStringList& environment = {});

// With arguments as bytes (not UTF-8, as a shell passes $'\xff'), and standard output sent to
// outputPath when one is given (for example /dev/full).
CliResult runCliBytes(const QList<QByteArray>& arguments, const QString& outputPath = {});

// How an error names its subject: " (attribute “NAME” of “PATH”)", or " (“PATH”)" without a name.
QString subject(const QString& path, const QString& name = {});

// The same, as another user when the tests run as root, so that permission checks apply.
CliResult runCliUnprivileged(const QStringList& arguments);
