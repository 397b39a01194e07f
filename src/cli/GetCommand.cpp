#include "cli/GetCommand.h"

#include "cli/RawOutput.h"
#include "cli/StderrErrorAlert.h"
#include "core/editor/EditorConversion.h"
#include "core/model/AttributeStructure.h"
#include "core/model/DisplayText.h"
#include "core/model/Error.h"
#include "core/model/ResourceItem.h"
#include "core/model/XattrAccess.h"

#include <optional>

namespace palvorn {

namespace {

const QString asOption = QStringLiteral("as");
const QString rawOption = QStringLiteral("raw");

// What a format that cannot show the value says instead of showing hex text that set would
// then store as the text itself.
QString notShownText(int format, QByteArrayView name, QByteArrayView value) {
    QString what = QStringLiteral("The value is not UTF-8 text");
    if (format == EditorConversion::PropertyList)
        what = QStringLiteral("The value is not a property list");
    // "Not an access control list: its version is 3, not 2.\n" without its end.
    const QString problem = AttributeStructure::read(name, value).problemLine();
    if (format == EditorConversion::Structure && problem.size() > 2)
        what = problem.chopped(2);
    return what + QStringLiteral("; use --as hex or --raw");
}

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
                                     "structure: acl, caps or label; a value that the format "
                                     "cannot show is refused."),
                      QStringLiteral("format")});
    parser.addOption({rawOption, QStringLiteral("Writes the value's bytes as they are, nothing "
                                                "added (on a terminal, controls as \\xHH).")});
}

QString GetCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().size() != 2)
        return QStringLiteral("expects PATH and NAME");
    if (const QString problem = checkNames(parser.positionalArguments().mid(1)); !problem.isEmpty())
        return problem;
    const QByteArray name = systemAttributeName(nameOf(parser.positionalArguments().at(1)));
    if (parser.isSet(asOption) && parser.isSet(rawOption))
        return QStringLiteral("takes --as or --raw, not both");
    if (parser.isSet(asOption) && !EditorConversion::formatOfWord(parser.value(asOption), name))
        return QStringLiteral("--as takes ") + EditorConversion::formatWords(name);
    return {};
}

int GetCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    const QByteArray name = systemAttributeName(nameOf(arguments.at(1)));
    const Result<QByteArray> read = getXattr(nativePath(arguments.at(0)), name, linksOf(parser));
    if (!read) {
        alert.showFailure(
            Error::fromError(QStringLiteral("getxattr"), read.error(), arguments.at(0), name));
        return Failure;
    }
    const QByteArray& value = *read;
    // A pipe or a file gets the bytes or the text as they are, for set or another program to
    // read back; a terminal would obey their control characters instead of showing them.
    if (parser.isSet(rawOption)) {
        if (isTerminal(out)) {
            writeReport(out, DisplayText::valueBytes(value));
            return Success;
        }
        RawOutput output(out);
        output.write(value);
        return output.finish(err) ? Success : Failure;
    }
    ResourceItem item(name, value);
    std::optional<QString> text = item.editableText();
    if (parser.isSet(asOption)) {
        const int format = *EditorConversion::formatOfWord(parser.value(asOption), name);
        item.setType(EditorConversion::typeOfFormat(format));
        text = item.textInType();
        if (!text) {
            alert.showFailure(Error({}, notShownText(format, name, value), arguments.at(0), name));
            return Failure;
        }
    }
    writeReport(out, isTerminal(out) ? DisplayText::value(*text) : *text);
    return Success;
}

} // namespace palvorn
