#include "cli/StripCommand.h"

#include "cli/CrawlCommand.h"
#include "cli/ProgressLine.h"
#include "model/FolderText.h"
#include "stripper/StripWalk.h"

#include <QDir>

namespace palvorn {

QString StripCommand::description() const {
    return QStringLiteral("Removes every attribute TYPE from all items below DIR.");
}

void StripCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The folder (\"~\" is home)."));
    parser.addPositionalArgument(QStringLiteral("TYPE"), QStringLiteral("The attribute name."));
    CrawlCommand::addWalkOptions(parser);
}

QString StripCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        return QStringLiteral("expects DIR and TYPE");
    return arguments.at(1).isEmpty() ? QStringLiteral("TYPE is empty") : QString();
}

int StripCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    const FolderText::Result folderText = FolderText::folderPath(arguments.at(0), QDir::homePath());
    if (!folderText.path) {
        err << folderText.error << "\n";
        return Failure;
    }
    const QString& folder = *folderText.path;
    WalkProgress progress;
    const InterruptStop interrupt;
    const FolderWalk::Options options = CrawlCommand::walkOptions(parser, progress, interrupt);
    QString error;
    std::optional<StripWalk::Result> result;
    {
        ProgressLine line(err, progress, CrawlCommand::showsProgress(parser));
        result = StripWalk::run(
            folder, arguments.at(1), options,
            [&line](const QString& text) { line.printLine(text); }, &error);
    }
    if (!result) {
        err << error << "\n";
        return Failure;
    }
    writeReport(out, StripWalk::report(*result));
    // A strip stopped by Ctrl-C prints what it removed, but did not succeed.
    return result->errors.isEmpty() && !result->stopped ? Success : Failure;
}

} // namespace palvorn
