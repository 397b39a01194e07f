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

// No value over 64 KiB can be written, and its text in any format is at most a few times longer:
// more input than this is a mistake (a wrong file, /dev/zero), refused before it fills memory.
constexpr qint64 maxInputBytes = 1 << 20;

std::optional<int> formatNamed(const QString& name) {
    if (name == u"text")
        return EditorConversion::PlainText;
    if (name == u"plist")
        return EditorConversion::PropertyList;
    if (name == u"hex")
        return EditorConversion::HexText;
    return std::nullopt;
}

// A pipe may hand over less than asked for at a time; reads until the end or the limit.
QByteArray readAtMost(QFile& input, qint64 limit) {
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray piece = input.read(limit - bytes.size());
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
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
        const std::optional<QString> decoded = decodeUtf8(bytesOf(arguments.at(2)));
        if (!decoded) {
            alert.showErrorAlert(
                QStringLiteral("The value is not UTF-8 text, so nothing was saved."));
            return Failure;
        }
        text = *decoded;
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
        // One byte over the bound tells a long input from one of exactly the bound.
        const QByteArray bytes = readAtMost(input, maxInputBytes + 1);
        if (bytes.size() > maxInputBytes) {
            alert.showErrorAlert(
                QStringLiteral("The input is longer than %1 bytes, so nothing was saved.")
                    .arg(maxInputBytes));
            return Failure;
        }
        const std::optional<QString> decoded = decodeUtf8(bytes);
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
    for (const AttributeFailure& failure : AttributeCommands::writeRecord(
             arguments.at(0), ResourceItem(bytesOf(arguments.at(1)), *converted.bytes)))
        alert.showErrorAlert(failure.text());
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
