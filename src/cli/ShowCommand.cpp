#include "cli/ShowCommand.h"

#include "cli/StderrErrorAlert.h"
#include "inspector/InspectorReport.h"
#include "model/FolderText.h"
#include "model/NameMatcher.h"
#include "model/ResourceList.h"
#include "model/XattrAccess.h"

namespace palvorn {

QString ShowCommand::description() const {
    return QStringLiteral("Prints the inspector's report of PATH, or of its attribute NAME.");
}

void ShowCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attribute to show alone.")),
                                 QStringLiteral("[NAME]"));
}

QString ShowCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 && arguments.size() != 2)
        return QStringLiteral("expects PATH and at most one NAME");
    return checkNames(arguments.mid(1));
}

int ShowCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    // The inspector's path field holds the absolute path of the inspected file.
    const QString path = FolderText::absolutePath(arguments.at(0));
    StderrErrorAlert alert(err);
    QString body;
    if (arguments.size() == 1) {
        const ResourceList list = ResourceList::ofPath(path, linksOf(parser));
        alert.showFailures(list.failures());
        body = InspectorReport::bodyOf(list.displayTexts());
    } else {
        // Only the named attribute is read: the others can neither fail this command nor hide
        // that the named one is there.
        const QByteArray native = nativePath(path);
        const QByteArray wanted = systemAttributeName(nameOf(arguments.at(1)));
        QByteArray name;
        try {
            const QList<QByteArray> names = listXattrs(native, linksOf(parser));
            const std::optional<qsizetype> selected = matchListedName(names, wanted);
            if (!selected) {
                alert.showFailure(
                    AttributeFailure({}, QStringLiteral("xattr not found"), path, wanted));
                return Failure;
            }
            name = names.at(*selected);
        } catch (const PosixError& error) {
            alert.showFailure(
                AttributeFailure::fromError(QStringLiteral("listxattr"), error, path));
            return Failure;
        }
        try {
            body = ResourceItem(name, getListedXattr(native, name.constData(), linksOf(parser)))
                       .displayText();
        } catch (const PosixError& error) {
            alert.showFailure(
                AttributeFailure::fromError(QStringLiteral("getxattr"), error, path, name));
            return Failure;
        }
    }
    writeReport(out, InspectorReport::reportText(shownPath(path), body));
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
