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
                                 QStringLiteral("The attribute to show alone."),
                                 QStringLiteral("[NAME]"));
}

QString ShowCommand::checkArguments(const QCommandLineParser& parser) const {
    const qsizetype count = parser.positionalArguments().size();
    return count == 1 || count == 2 ? QString()
                                    : QStringLiteral("expects PATH and at most one NAME");
}

int ShowCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    // The inspector's path field holds the absolute path of the inspected file.
    const QString path = FolderText::absolutePath(arguments.at(0));
    StderrErrorAlert alert(err);
    const ResourceList list = ResourceList::ofPath(path);
    for (const AttributeFailure& failure : list.failures())
        alert.showErrorAlert(failure.text());

    QString body;
    if (arguments.size() == 1) {
        body = InspectorReport::bodyOf(list.displayTexts());
    } else {
        QList<QByteArray> names;
        for (const ResourceItemPtr& item : list.children())
            names.append(item->rawName());
        const QByteArray wanted = systemAttributeName(bytesOf(arguments.at(1)));
        const std::optional<qsizetype> selected = matchListedName(names, wanted);
        if (!selected) {
            alert.showErrorAlert(
                AttributeFailure({}, QStringLiteral("xattr not found"), path, wanted).text());
            return Failure;
        }
        body = list.children().at(*selected)->displayText();
    }
    writeReport(out, InspectorReport::reportText(shownPath(path), body));
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
