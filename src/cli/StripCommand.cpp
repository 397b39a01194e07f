#include "cli/StripCommand.h"

#include "cli/CrawlCommand.h"
#include "cli/ProgressLine.h"
#include "cli/StderrErrorAlert.h"
#include "model/ByteText.h"
#include "model/FolderText.h"
#include "stripper/StripBackup.h"
#include "stripper/StripWalk.h"

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
    CrawlCommand::addWalkOptions(parser);
    parser.addOption({backupOption,
                      QStringLiteral("First writes what will be removed to FILE, a dump that "
                                     "'palvorn-cli restore FILE' puts back; when FILE cannot be "
                                     "written, nothing is removed."),
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
    return CrawlCommand::checkWalkOptions(parser);
}

int StripCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    const FolderText::Result folderText = FolderText::folderPath(arguments.at(0), QDir::homePath());
    if (!folderText.path) {
        StderrErrorAlert::writeLine(err, folderText.error);
        return Failure;
    }
    const QString& folder = *folderText.path;
    // The walks take the type's bytes in text, as ByteText keeps them.
    const QString type = ByteText::decode(nameOf(arguments.at(1)));
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = CrawlCommand::walkOptions(parser, progress, interrupt);
    QString error;
    std::optional<StripWalk::Result> result;
    std::optional<StripBackup::Result> backup;
    {
        ProgressLine line(err, progress, CrawlCommand::showsProgress(parser));
        if (parser.isSet(backupOption)) {
            // Absolute paths in the file, so that it restores from any folder.
            backup = StripBackup::write(FolderText::absolutePath(folder), type, options,
                                        parser.value(backupOption));
            if (!backup->error.isEmpty())
                error = backup->error + QStringLiteral("; nothing was removed");
        }
        if (error.isEmpty())
            result = StripWalk::run(
                folder, type, options, [&line](const QString& text) { line.printLine(text); },
                &error, backup ? parser.value(backupOption) : QString());
    }
    if (!result) {
        StderrErrorAlert::writeLine(err, error);
        return Failure;
    }
    writeReport(out, StripWalk::report(*result));
    if (backup)
        out << StripBackup::reportLine(parser.value(backupOption), backup->saved);
    // A strip stopped by Ctrl-C prints what it removed, but did not succeed.
    return result->errors.isEmpty() && !result->stopped ? Success : Failure;
}

} // namespace palvorn
