#include "cli/CompareCommand.h"
#include "cli/CpCommand.h"
#include "cli/CrawlCommand.h"
#include "cli/DumpCommand.h"
#include "cli/FlagCommand.h"
#include "cli/GetCommand.h"
#include "cli/ListCommand.h"
#include "cli/QuarantineCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/RmCommand.h"
#include "cli/SetCommand.h"
#include "cli/ShowCommand.h"
#include "cli/StripCommand.h"
#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

using namespace palvorn;

namespace {

std::vector<std::unique_ptr<Command>> makeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<GetCommand>());
    commands.push_back(std::make_unique<SetCommand>());
    commands.push_back(std::make_unique<RmCommand>());
    commands.push_back(std::make_unique<CpCommand>());
    commands.push_back(std::make_unique<QuarantineCommand>());
    commands.push_back(std::make_unique<FlagCommand>());
    commands.push_back(std::make_unique<CompareCommand>());
    commands.push_back(std::make_unique<StripCommand>());
    commands.push_back(std::make_unique<CrawlCommand>());
    commands.push_back(std::make_unique<DumpCommand>());
    commands.push_back(std::make_unique<RestoreCommand>());
    return commands;
}

// A standard stream the caller closed (">&-") must stay closed to what the program writes, and its
// number must not go to the next file opened: a report would be written into a backup file, or
// into the event loop's own descriptor. It is held by /dev/null opened the other way round, so
// that writing (or reading) it fails as on a closed one, with "Bad file descriptor".
void holdClosedStandardStreams() {
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int held =
            ::open("/dev/null", (descriptor == STDIN_FILENO ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (held >= 0 && held != descriptor) {
            ::dup2(held, descriptor);
            ::close(held);
        }
    }
}

void printUsage(QTextStream& stream, const std::vector<std::unique_ptr<Command>>& commands) {
    stream << "Usage: palvorn-cli COMMAND [ARGUMENTS]\n"
              "Shows and edits the extended attributes of files.\n\n"
              "Commands:\n";
    for (const auto& command : commands)
        stream << "  " << command->name().leftJustified(12) << command->description() << '\n';
    stream << "\nOptions:\n"
              "  -h, --help     Shows this help.\n"
              "  -v, --version  Shows the version.\n\n"
              "Attribute names are typed as 'list' shows them: \\\\ for a backslash and \\xHH\n"
              "for any byte (a literal backslash in a name is typed \\\\). Paths are taken as\n"
              "the shell passes them.\n\n"
              "'palvorn-cli COMMAND --help' describes one command; every command also\n"
              "answers --version.\n\n"
              "Exit status:\n"
              "  status  every command except compare       compare\n"
              "  0       success                            the attributes are the same\n"
              "  1       an operation failed                the attributes differ\n"
              "  2       usage error                        usage error or trouble\n";
}

} // namespace

int main(int argc, char* argv[]) {
    holdClosedStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("palvorn-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PALVORN_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const std::vector<std::unique_ptr<Command>> commands = makeCommands();
    // The raw argv, not QCoreApplication::arguments(): that decodes them and loses every byte
    // that is not UTF-8, while paths and names are bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(ByteText::decode(argv[i]));

    if (arguments.isEmpty()) {
        printUsage(err, commands);
        return Command::UsageError;
    }
    const QString& verb = arguments.constFirst();
    if (verb == u"-h" || verb == u"--help") {
        printUsage(out, commands);
        return Command::finishOutput(out, err) ? Command::Success : Command::Failure;
    }
    if (verb == u"-v" || verb == u"--version") {
        out << Command::versionText();
        return Command::finishOutput(out, err) ? Command::Success : Command::Failure;
    }
    for (const auto& command : commands) {
        if (command->name() == verb)
            return command->run(arguments, out, err);
    }
    err << "palvorn-cli: unknown command '" << displayName(ByteText::encode(verb)) << "'\n"
        << "Try 'palvorn-cli --help'.\n";
    return Command::UsageError;
}
