#include "cli/RmCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/inspector/AttributeCommands.h"

namespace palvorn {

QString RmCommand::description() const {
    return QStringLiteral("Removes the attributes NAME... of PATH.");
}

void RmCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attributes.")),
                                 QStringLiteral("NAME..."));
}

QString RmCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < 2)
        return QStringLiteral("expects PATH and a NAME");
    return checkNames(arguments.mid(1));
}

int RmCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    QList<ResourceItemPtr> records;
    for (const QByteArray& name : namesOf(arguments.mid(1)))
        records.append(std::make_shared<ResourceItem>(name, QByteArray()));
    StderrErrorAlert alert(err);
    alert.showFailures(AttributeCommands::removeRecords(arguments.at(0), records, linksOf(parser)));
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
