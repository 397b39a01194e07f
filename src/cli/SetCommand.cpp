#include "cli/SetCommand.h"

#include "cli/StderrErrorAlert.h"
#include "editor/EditorConversion.h"
#include "inspector/AttributeCommands.h"
#include "model/TextDecoding.h"

#include <cstdio>

#include <QFile>

namespace palvorn {

namespace {

const QString asOption = QStringLiteral("as");
const QString fileOption = QStringLiteral("file");

std::optional<int> formatNamed(const QString& name) {
    if (name == u"text")
        return EditorConversion::PlainText;
    if (name == u"plist")
        return EditorConversion::PropertyList;
    if (name == u"hex")
        return EditorConversion::HexText;
    return std::nullopt;
}

} // namespace

QString SetCommand::description() const {
    return QStringLiteral("Writes the attribute NAME of PATH from text, as the editor saves it.");
}

void SetCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
    parser.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("The attribute."));
    parser.addPositionalArgument(QStringLiteral("VALUE"),
                                 QStringLiteral("The text; without it and --file, standard input."),
                                 QStringLiteral("[VALUE]"));
    parser.addOption({asOption, QStringLiteral("The text's format: text, plist or hex."),
                      QStringLiteral("format")});
    parser.addOption(
        {fileOption, QStringLiteral("Reads the text from a file."), QStringLiteral("F")});
}

QString SetCommand::checkArguments(const QCommandLineParser& parser) const {
    const qsizetype count = parser.positionalArguments().size();
    if (count < 2 || count > 3)
        return QStringLiteral("expects PATH, NAME and at most one VALUE");
    if (count == 3 && parser.isSet(fileOption))
        return QStringLiteral("takes a VALUE or --file, not both");
    if (!parser.isSet(asOption) || !formatNamed(parser.value(asOption)))
        return QStringLiteral("--as text, plist or hex is required");
    return {};
}

int SetCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    QString text;
    if (arguments.size() == 3) {
        text = arguments.at(2);
    } else {
        QFile input;
        bool opened = false;
        if (parser.isSet(fileOption)) {
            input.setFileName(parser.value(fileOption));
            opened = input.open(QIODevice::ReadOnly);
        } else {
            opened = input.open(stdin, QIODevice::ReadOnly);
        }
        if (!opened) {
            alert.showErrorAlert(
                QStringLiteral("%1: %2").arg(input.fileName(), input.errorString()));
            return Failure;
        }
        const std::optional<QString> decoded = decodeUtf8(input.readAll());
        if (!decoded) {
            alert.showErrorAlert(
                QStringLiteral("The input is not UTF-8 text, so nothing was saved."));
            return Failure;
        }
        text = *decoded;
    }

    const int format = *formatNamed(parser.value(asOption));
    const EditorConversion::Result converted = EditorConversion::bytesFor(format, text);
    if (!converted.bytes) {
        alert.showErrorAlert(converted.problem);
        return Failure;
    }
    for (const QString& failure : AttributeCommands::writeRecord(
             arguments.at(0), ResourceItem(arguments.at(1), *converted.bytes)))
        alert.showErrorAlert(failure);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
