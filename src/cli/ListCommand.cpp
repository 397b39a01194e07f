#include "cli/ListCommand.h"

#include "cli/RawOutput.h"
#include "cli/StderrErrorAlert.h"
#include "core/inspector/InspectorReport.h"
#include "core/model/ResourceList.h"

namespace palvorn {

namespace {

const QString nullOption = QStringLiteral("null");

} // namespace

QString ListCommand::description() const {
    return QStringLiteral("Lists the extended attributes of PATH: name, a tab, size.");
}

void ListCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    addMatchOption(parser);
    addJsonOption(parser);
    parser.addOption({{QStringLiteral("0"), nullOption},
                      QStringLiteral("Writes only the names, each as its bytes followed by a NUL "
                                     "byte, as find -print0 does (on a terminal, as shown).")});
}

QString ListCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().size() != 1)
        return QStringLiteral("expects exactly one PATH");
    if (parser.isSet(nullOption) && wantsJson(parser))
        return QStringLiteral("takes --json or --null, not both");
    return checkMatch(parser);
}

int ListCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    StderrErrorAlert alert(err);
    const QString& path = parser.positionalArguments().constFirst();
    const ResourceList list = ResourceList::ofPath(path, linksOf(parser), nameFilterOf(parser));
    alert.showFailures(list.failures());
    if (wantsJson(parser)) {
        writeJson(out,
                  InspectorReport::attributesJson(path, list.children(), list.failures(), false));
    } else if (parser.isSet(nullOption)) {
        // A terminal would obey a name's controls: it is shown the names as list shows them.
        RawOutput output(out);
        const bool terminal = isTerminal(out);
        for (const ResourceItemPtr& item : list.children())
            output.write((terminal ? item->name().toUtf8() : item->rawName()) + '\0');
        if (!output.finish(err))
            return Failure;
    } else {
        for (const ResourceItemPtr& item : list.children())
            out << item->name() << '\t' << item->size() << '\n';
    }
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
