#include "cli/WalkArguments.h"

#include "cli/InterruptStop.h"
#include "cli/ProgressLine.h"
#include "cli/StderrErrorAlert.h"
#include "core/model/FolderText.h"

#include <QDir>

namespace palvorn {

namespace {

const QString oneFileSystemOption = QStringLiteral("one-file-system");
const QString quietOption = QStringLiteral("quiet");
const QString threadsOption = QStringLiteral("threads");
// More threads than this only wait on each other.
constexpr int maxThreads = 256;

int threadsOf(const QCommandLineParser& parser) {
    bool valid = false;
    const int threads = parser.value(threadsOption).toInt(&valid);
    return valid && threads >= 1 && threads <= maxThreads ? threads : 0;
}

} // namespace

void WalkArguments::addFolder(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The folder (\"~\" is home)."));
}

std::optional<QString> WalkArguments::folder(const QString& argument, QTextStream& err) {
    const Result<QString> folderText = FolderText::folderPath(argument, QDir::homePath());
    if (!folderText) {
        StderrErrorAlert::writeLine(err, folderText.error().lineText());
        return std::nullopt;
    }
    return *folderText;
}

void WalkArguments::add(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("x"), oneFileSystemOption},
                      QStringLiteral("Stays on DIR's file system: mount points below it are "
                                     "counted but not entered.")});
    parser.addOption({{QStringLiteral("q"), quietOption},
                      QStringLiteral("Shows no progress on a terminal's standard error.")});
    parser.addOption({threadsOption,
                      QStringLiteral("Walks on N threads (default: one per core); the report is "
                                     "the same for any N."),
                      QStringLiteral("N")});
}

QString WalkArguments::check(const QCommandLineParser& parser) {
    if (parser.isSet(threadsOption) && threadsOf(parser) == 0)
        return QStringLiteral("--threads takes a number from 1 to %1").arg(maxThreads);
    return {};
}

FolderWalk::Options WalkArguments::options(const QCommandLineParser& parser, WalkProgress& progress,
                                           const InterruptStop& interrupt) {
    FolderWalk::Options options;
    options.stop = &interrupt.flag();
    options.oneFileSystem = parser.isSet(oneFileSystemOption);
    options.progress = &progress;
    if (parser.isSet(threadsOption))
        options.threads = threadsOf(parser);
    return options;
}

bool WalkArguments::showsProgress(const QCommandLineParser& parser) {
    return !parser.isSet(quietOption) && ProgressLine::stderrIsTerminal();
}

} // namespace palvorn
