#include "cli/RestoreCommand.h"

#include "model/DumpRestore.h"

#include <cstdio>

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
    const QString sourceName = standardInput ? QStringLiteral("standard input") : source;
    QFile input;
    const bool opened = standardInput
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(source), input.open(QIODevice::ReadOnly));
    if (!opened) {
        err << sourceName << ": " << input.errorString() << '\n';
        return Failure;
    }
    const DumpRestore::Result result =
        DumpRestore::apply(input, sourceName, [&err](const QString& text) {
            err << text << '\n';
            err.flush();
        });
    if (input.error() != QFileDevice::NoError) {
        err << sourceName << ": " << input.errorString() << '\n';
        return Failure;
    }
    return result.failed > 0 ? Failure : Success;
}

} // namespace palvorn
