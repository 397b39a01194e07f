#pragma once

#include <QString>
#include <QStringList>

// Runs the real palvorn-cli binary and collects what it printed.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

CliResult runCli(const QStringList& arguments, const QByteArray& input = {});
// The same with extra environment variables, for example another HOME.
CliResult runCliWith(const QStringList& environment, const QStringList& arguments);

// The same, as another user when the tests run as root, so that permission checks apply.
CliResult runCliUnprivileged(const QStringList& arguments);
