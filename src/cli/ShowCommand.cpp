#include "cli/ShowCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/inspector/InspectorReport.h"
#include "core/model/FolderText.h"
#include "core/model/NameMatcher.h"
#include "core/model/ResourceList.h"
#include "core/model/XattrAccess.h"

namespace palvorn {

QString ShowCommand::description() const {
    return QStringLiteral("Prints the inspector's report of PATH, or of its attribute NAME.");
}

void ShowCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attribute to show alone.")),
                                 QStringLiteral("[NAME]"));
    addMatchOption(parser);
    addJsonOption(parser);
}

QString ShowCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 && arguments.size() != 2)
        return QStringLiteral("expects PATH and at most one NAME");
    if (arguments.size() == 2 && parser.isSet(QStringLiteral("match")))
        return QStringLiteral("takes NAME or --match, not both");
    if (const QString problem = checkMatch(parser); !problem.isEmpty())
        return problem;
    return checkNames(arguments.mid(1));
}

int ShowCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    // The inspector's path field holds the absolute path of the inspected file.
    const QString path = FolderText::absolutePath(arguments.at(0));
    QList<ResourceItemPtr> items;
    QList<Error> failures;
    if (arguments.size() == 1) {
        ResourceList list = ResourceList::ofPath(path, linksOf(parser), nameFilterOf(parser));
        items = list.children();
        failures = list.failures();
    } else if (const Result<ResourceItemPtr> named =
                   namedItem(path, nameOf(arguments.at(1)), linksOf(parser))) {
        items.append(*named);
    } else {
        failures.append(named.error());
    }
    StderrErrorAlert alert(err);
    alert.showFailures(failures);
    if (wantsJson(parser)) {
        writeJson(out, InspectorReport::attributesJson(path, items, failures, true));
    } else if (items.isEmpty() && arguments.size() == 2) {
        return Failure; // the one attribute asked for could not be shown: nothing to print
    } else {
        QStringList texts;
        for (const ResourceItemPtr& item : std::as_const(items))
            texts.append(item->displayText());
        writeReport(out,
                    InspectorReport::reportText(shownPath(path), InspectorReport::bodyOf(texts)));
    }
    return alert.anyShown() ? Failure : Success;
}

Result<ResourceItemPtr> ShowCommand::namedItem(const QString& path, const QByteArray& typedName,
                                               Links links) {
    // Only the named attribute is read: the others can neither fail this command nor hide that
    // the named one is there.
    const QByteArray native = nativePath(path);
    const QByteArray wanted = systemAttributeName(typedName);
    const Result<QList<QByteArray>> names = listXattrs(native, links);
    if (!names)
        return failure(Error::fromError(QStringLiteral("listxattr"), names.error(), path));
    const std::optional<qsizetype> selected = matchListedName(*names, wanted);
    if (!selected)
        return failure(Error({}, QStringLiteral("xattr not found"), path, wanted));
    const QByteArray& name = names->at(*selected);
    const Result<QByteArray> value = getListedXattr(native, name.constData(), links);
    if (!value)
        return failure(Error::fromError(QStringLiteral("getxattr"), value.error(), path, name));
    return std::make_shared<ResourceItem>(name, *value);
}

} // namespace palvorn
