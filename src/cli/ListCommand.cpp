#include "cli/ListCommand.h"

#include "cli/StderrErrorAlert.h"
#include "model/ResourceList.h"

namespace palvorn {

QString ListCommand::description() const {
    return QStringLiteral("Lists the extended attributes of PATH: name, a tab, size.");
}

void ListCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
}

QString ListCommand::checkArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().size() == 1 ? QString()
                                                    : QStringLiteral("expects exactly one PATH");
}

int ListCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    StderrErrorAlert alert(err);
    const ResourceList list =
        ResourceList::ofPath(parser.positionalArguments().constFirst(), linksOf(parser));
    alert.showFailures(list.failures());
    for (const ResourceItemPtr& item : list.children())
        out << item->name() << '\t' << item->size() << '\n';
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
