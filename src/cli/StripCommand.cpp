#include "cli/StripCommand.h"

#include "cli/InterruptStop.h"
#include "cli/ProgressLine.h"
#include "cli/StderrErrorAlert.h"
#include "cli/WalkArguments.h"
#include "core/model/ByteText.h"
#include "core/model/FolderText.h"
#include "core/stripper/StripWalk.h"

#include <QDir>

namespace palvorn {

namespace {

const QString backupOption = QStringLiteral("backup");

} // namespace

QString StripCommand::description() const {
    return QStringLiteral("Removes every attribute TYPE from all items below DIR.");
}

void StripCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The folder (\"~\" is home)."));
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
    const FolderText::Result folderText = FolderText::folderPath(arguments.at(0), QDir::homePath());
    if (!folderText.path) {
        StderrErrorAlert::writeLine(err, folderText.error);
        return Failure;
    }
    const QString& folder = *folderText.path;
    const QString restoreFile = parser.value(backupOption);
    // The walks take the type's bytes in text, as ByteText keeps them.
    const QString type = ByteText::decode(nameOf(arguments.at(1)));
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = WalkArguments::options(parser, progress, interrupt);
    QString error;
    std::optional<StripWalk::Result> result;
    {
        ProgressLine line(err, progress, WalkArguments::showsProgress(parser));
        result = StripWalk::run(
            folder, type, options, [&line](const QString& text) { line.printLine(text); }, &error,
            restoreFile);
    }
    if (!result) {
        StderrErrorAlert::writeLine(
            err,
            error + (restoreFile.isEmpty() ? QString() : QStringLiteral("; nothing was removed")));
        return Failure;
    }
    writeReport(out, StripWalk::report(*result));
    // A strip stopped by Ctrl-C prints what it removed, but did not succeed.
    const bool restoreFileWhole =
        result->restoreFailure.isEmpty() && result->restoreNotCleaned.isEmpty();
    return result->errors.isEmpty() && !result->stopped && restoreFileWhole ? Success : Failure;
}

} // namespace palvorn
