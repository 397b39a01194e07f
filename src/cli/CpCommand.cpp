#include "cli/CpCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/inspector/AttributeCommands.h"
#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/NameMatcher.h"
#include "core/model/ResourceList.h"
#include "core/model/XattrAccess.h"

namespace palvorn {

namespace {

// One closing line that lists the names which were not copied, when some names failed on their
// own; an item that could not be reached or written says so in its one line.
std::optional<QString> notCopiedText(const QList<Error>& failures) {
    QStringList names;
    bool attributeFailed = false;
    for (const Error& failure : failures) {
        if (failure.name().isEmpty())
            continue;
        names.append(displayName(failure.name()));
        attributeFailed = attributeFailed || !failure.concernsItem();
    }
    if (!attributeFailed)
        return std::nullopt;
    names.removeDuplicates();
    return QStringLiteral("Not copied: ") + names.join(QStringLiteral(", "));
}

} // namespace

QString CpCommand::description() const {
    return QStringLiteral("Copies the attributes NAME... (default: all) of SRC to DST.");
}

void CpCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("SRC"), QStringLiteral("The file to copy from."));
    parser.addPositionalArgument(QStringLiteral("DST"), QStringLiteral("The file to copy to."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attributes to copy.")),
                                 QStringLiteral("[NAME...]"));
}

QString CpCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < 2)
        return QStringLiteral("expects SRC and DST");
    return checkNames(arguments.mid(2));
}

QStringList CpCommand::pathArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().mid(0, 2);
}

int CpCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    const QString sourcePath = FolderText::absolutePath(arguments.at(0));
    const ResourceList source = ResourceList::ofPath(sourcePath, linksOf(parser));
    // Every name that does not arrive, whether it could not be read or not be written.
    QList<Error> failures = source.failures();

    // The records travel through their archive form, exactly as they do on the pasteboard.
    QList<QByteArray> archives;
    const QList<QByteArray> wanted = namesOf(arguments.mid(2));
    if (wanted.isEmpty()) {
        for (const ResourceItemPtr& record : source.children())
            archives.append(record->archive());
    }
    QList<QByteArray> names;
    for (const ResourceItemPtr& record : source.children())
        names.append(record->rawName());
    for (const QByteArray& typed : wanted) {
        const QByteArray name = systemAttributeName(typed);
        if (const std::optional<qsizetype> found = matchListedName(names, name))
            archives.append(source.children().at(*found)->archive());
        else
            failures.append(Error({}, QStringLiteral("xattr not found"), sourcePath, name));
    }
    failures += AttributeCommands::pasteArchives(arguments.at(1), archives, linksOf(parser));
    alert.showFailures(failures);
    if (const std::optional<QString> notCopied = notCopiedText(failures))
        alert.showErrorAlert(*notCopied);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
