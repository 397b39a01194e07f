#include "cli/CompareCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/compare/Comparison.h"
#include "core/model/FolderText.h"

namespace palvorn {

QString CompareCommand::description() const {
    return QStringLiteral("Compares the attributes of two files or folders.");
}

void CompareCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("A"), QStringLiteral("The first item."));
    parser.addPositionalArgument(QStringLiteral("B"), QStringLiteral("The second item."));
    addJsonOption(parser);
}

QString CompareCommand::checkArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().size() == 2 ? QString() : QStringLiteral("expects A and B");
}

QStringList CompareCommand::pathArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().mid(0, 2);
}

int CompareCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    // The window's path fields hold the chosen items' absolute paths.
    const QString first = FolderText::absolutePath(parser.positionalArguments().at(0));
    const QString second = FolderText::absolutePath(parser.positionalArguments().at(1));
    const Comparison::Result result = Comparison::compare(first, second);
    if (wantsJson(parser))
        writeJson(out, Comparison::json(first, second, result));
    else
        writeReport(out, Comparison::header(shownPath(first), shownPath(second)) + result.lines);
    // As cmp and diff: a script tells same from different by the status alone.
    if (result.failure) {
        StderrErrorAlert(err).showFailure(*result.failure);
        return Trouble;
    }
    return result.differ() ? Different : Success;
}

} // namespace palvorn
