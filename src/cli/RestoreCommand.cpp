#include "cli/RestoreCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/model/AttributeName.h"
#include "core/model/DumpRestore.h"
#include "core/model/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace palvorn {

QString RestoreCommand::description() const {
    return QStringLiteral("Sets the attributes that a dump FILE (- for standard input) lists.");
}

void RestoreCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The dump, or - for standard input."));
}

QString RestoreCommand::checkArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().size() == 1 ? QString()
                                                    : QStringLiteral("expects exactly one FILE");
}

int RestoreCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QString source = parser.positionalArguments().constFirst();
    const bool standardInput = source == u"-";
    const QByteArray path = bytesOf(source);
    const QString sourceName = standardInput ? QStringLiteral("standard input") : displayName(path);
    // Opened by its bytes: a dump's own name need not be UTF-8 either.
    const int descriptor =
        standardInput ? STDIN_FILENO : ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    const int openError = descriptor < 0 ? errno : 0;
    QFile input;
    if (descriptor < 0 ||
        !input.open(descriptor, QIODevice::ReadOnly,
                    standardInput ? QFileDevice::DontCloseHandle : QFileDevice::AutoCloseHandle)) {
        StderrErrorAlert::writeLine(
            err, sourceName + QStringLiteral(": ") +
                     (descriptor < 0 ? Error::describe(openError) : input.errorString()));
        return Failure;
    }
    const DumpRestore::Result result = DumpRestore::apply(
        input, sourceName, [&err](const QString& text) { StderrErrorAlert::writeLine(err, text); });
    if (input.error() != QFileDevice::NoError) {
        StderrErrorAlert::writeLine(err, sourceName + QStringLiteral(": ") + input.errorString());
        return Failure;
    }
    return result.failed > 0 ? Failure : Success;
}

} // namespace palvorn
