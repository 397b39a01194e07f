#include "cli/FlagCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/inspector/NameFlags.h"

namespace palvorn {

QString FlagCommand::description() const {
    return QStringLiteral("Adds \"#FLAG\" to the names NAME... of PATH, or strips their flags.");
}

void FlagCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("add|strip"), QStringLiteral("What to do."));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("FLAG"),
                                 nameHelp(QStringLiteral("The flag text (add only).")),
                                 QStringLiteral("[FLAG]"));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attributes.")),
                                 QStringLiteral("NAME..."));
}

QString FlagCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    const QString verb = arguments.value(0);
    // The flag becomes part of the names, so it is typed as they are. An empty one would rename
    // nothing and report success: a script's empty "$FLAG" is a mistake to say.
    if (verb == u"add" && arguments.size() >= 4)
        return arguments.at(2).isEmpty() ? QStringLiteral("FLAG is empty")
                                         : checkNames(arguments.mid(2));
    if (verb == u"strip" && arguments.size() >= 3)
        return checkNames(arguments.mid(2));
    return QStringLiteral("expects 'add PATH FLAG NAME...' or 'strip PATH NAME...'");
}

QStringList FlagCommand::pathArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().mid(1, 1);
}

int FlagCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    const QString& path = arguments.at(1);
    const QList<Error> failures =
        arguments.at(0) == u"add"
            ? NameFlags::addNameFlags(path, namesOf(arguments.mid(3)), nameOf(arguments.at(2)))
            : NameFlags::stripNameFlags(path, namesOf(arguments.mid(2)));
    StderrErrorAlert alert(err);
    alert.showFailures(failures);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
