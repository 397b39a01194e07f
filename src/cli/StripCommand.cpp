#include "cli/StripCommand.h"

#include "cli/InterruptStop.h"
#include "cli/ProgressLine.h"
#include "cli/StderrErrorAlert.h"
#include "cli/WalkArguments.h"
#include "core/model/ByteText.h"
#include "core/stripper/StripJob.h"

namespace palvorn {

namespace {

const QString backupOption = QStringLiteral("backup");

} // namespace

QString StripCommand::description() const {
    return QStringLiteral("Removes every attribute TYPE from all items below DIR.");
}

void StripCommand::addArguments(QCommandLineParser& parser) const {
    WalkArguments::addFolder(parser);
    parser.addPositionalArgument(QStringLiteral("TYPE"),
                                 nameHelp(QStringLiteral("The attribute name.")));
    WalkArguments::add(parser);
    parser.addOption({backupOption,
                      QStringLiteral("Writes every value to FILE before removing it, a dump that "
                                     "'palvorn-cli restore FILE' puts back; when FILE cannot be "
                                     "written, the strip stops there. FILE is a new name or a "
                                     "regular file, which is replaced."),
                      QStringLiteral("FILE")});
}

QString StripCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        return QStringLiteral("expects DIR and TYPE");
    if (arguments.at(1).isEmpty())
        return QStringLiteral("TYPE is empty");
    if (const QString problem = checkNames({arguments.at(1)}); !problem.isEmpty())
        return problem;
    // "-" is no file here: standard output carries the report.
    if (parser.isSet(backupOption) && parser.value(backupOption) == u"-")
        return QStringLiteral("--backup takes a file: standard output carries the report");
    return WalkArguments::check(parser);
}

int StripCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    const std::optional<QString> folder = WalkArguments::folder(arguments.at(0), err);
    if (!folder)
        return Failure;
    StripJob::Request request;
    request.folderPath = *folder;
    // The walks take the type's bytes in text, as ByteText keeps them.
    request.type = ByteText::decode(nameOf(arguments.at(1)));
    request.restoreFile = parser.value(backupOption);
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = WalkArguments::options(parser, progress, interrupt);
    StripJob::Outcome outcome;
    {
        ProgressLine line(err, progress, WalkArguments::showsProgress(parser));
        outcome =
            StripJob::run(request, options, [&line](const QString& text) { line.printLine(text); });
    }
    if (!outcome.result) {
        StderrErrorAlert::writeLine(err, outcome.errorText());
        return Failure;
    }
    writeReport(out, StripWalk::report(*outcome.result));
    // A strip stopped by Ctrl-C prints what it removed, but did not succeed.
    return outcome.succeeded() ? Success : Failure;
}

} // namespace palvorn
