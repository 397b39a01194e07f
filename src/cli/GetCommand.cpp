#include "cli/GetCommand.h"

#include "cli/StderrErrorAlert.h"
#include "editor/EditorConversion.h"
#include "model/AttributeFailure.h"
#include "model/DisplayText.h"
#include "model/ResourceItem.h"
#include "model/XattrAccess.h"

#include <optional>

namespace palvorn {

namespace {

const QString asOption = QStringLiteral("as");

} // namespace

QString GetCommand::description() const {
    return QStringLiteral("Prints the editor's text for the attribute NAME of PATH.");
}

void GetCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attribute.")));
    parser.addOption({asOption,
                      QStringLiteral("Shows the value as text, plist or hex, or as its "
                                     "structure: acl, caps or label."),
                      QStringLiteral("format")});
}

QString GetCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().size() != 2)
        return QStringLiteral("expects PATH and NAME");
    if (const QString problem = checkNames(parser.positionalArguments().mid(1)); !problem.isEmpty())
        return problem;
    const QByteArray name = systemAttributeName(nameOf(parser.positionalArguments().at(1)));
    if (parser.isSet(asOption) && !EditorConversion::formatOfWord(parser.value(asOption), name))
        return QStringLiteral("--as takes ") + EditorConversion::formatWords(name);
    return {};
}

int GetCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    const QByteArray name = systemAttributeName(nameOf(arguments.at(1)));
    try {
        ResourceItem item(name, getXattr(nativePath(arguments.at(0)), name));
        if (parser.isSet(asOption))
            item.setType(EditorConversion::typeOfFormat(
                *EditorConversion::formatOfWord(parser.value(asOption), name)));
        // The text is what set reads back, so a pipe or a file gets it as it is; a terminal
        // would obey its control characters instead of showing them.
        const QString text = item.editableText();
        writeReport(out, isTerminal(out) ? DisplayText::value(text) : text);
        return Success;
    } catch (const PosixError& error) {
        alert.showFailure(
            AttributeFailure::fromError(QStringLiteral("getxattr"), error, arguments.at(0), name));
        return Failure;
    }
}

} // namespace palvorn
