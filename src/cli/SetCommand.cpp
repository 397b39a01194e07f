#include "cli/SetCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/editor/EditorConversion.h"
#include "core/inspector/AttributeCommands.h"
#include "core/model/TextDecoding.h"
#include "core/model/XattrAccess.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

#include <QFile>

namespace palvorn {

namespace {

const QString asOption = QStringLiteral("as");
const QString fileOption = QStringLiteral("file");

// No value over 64 KiB can be written, and its text in any format is at most a few times longer:
// more input than this is a mistake (a wrong file, /dev/zero), refused before it fills memory.
constexpr qint64 maxInputBytes = 1 << 20;

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
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 nameHelp(QStringLiteral("The attribute.")));
    parser.addPositionalArgument(QStringLiteral("VALUE"),
                                 QStringLiteral("The text; without it and --file, standard input."),
                                 QStringLiteral("[VALUE]"));
    parser.addOption({asOption,
                      QStringLiteral("The text's format: text, plist or hex, or the structure "
                                     "the name holds: acl, caps or label."),
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
    if (const QString problem = checkNames(parser.positionalArguments().mid(1, 1));
        !problem.isEmpty())
        return problem;
    const QByteArray name = systemAttributeName(nameOf(parser.positionalArguments().at(1)));
    if (!parser.isSet(asOption) || !EditorConversion::formatOfWord(parser.value(asOption), name))
        return QStringLiteral("--as ") + EditorConversion::formatWords(name) +
               QStringLiteral(" is required");
    return {};
}

QStringList SetCommand::pathArguments(const QCommandLineParser& parser) const {
    QStringList paths = parser.positionalArguments().mid(0, 1);
    if (parser.isSet(fileOption))
        paths.append(parser.value(fileOption));
    return paths;
}

int SetCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    const QString& path = arguments.at(0);
    const QByteArray name = systemAttributeName(nameOf(arguments.at(1)));
    StderrErrorAlert alert(err);
    QString problem;
    const std::optional<QString> text = inputText(parser, &problem);
    if (!text) {
        alert.showFailure(Error({}, problem, path, name));
        return Failure;
    }
    const int format = *EditorConversion::formatOfWord(parser.value(asOption), name);
    const Result<QByteArray> converted = EditorConversion::bytesFor(format, *text, name);
    if (!converted) {
        alert.showFailure(Error({}, EditorConversion::problemOf(converted.error()), path, name));
        return Failure;
    }
    alert.showFailures(
        AttributeCommands::writeRecord(path, ResourceItem(name, *converted), linksOf(parser)));
    return alert.anyShown() ? Failure : Success;
}

std::optional<QString> SetCommand::inputText(const QCommandLineParser& parser, QString* problem) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() == 3) {
        const std::optional<QString> decoded = decodeUtf8(bytesOf(arguments.at(2)));
        if (!decoded)
            *problem = QStringLiteral("The value is not UTF-8 text, so nothing was saved.");
        return decoded;
    }
    QFile input;
    if (parser.isSet(fileOption)) {
        // Opened by its bytes: QFile would encode a name that is not UTF-8 as other bytes.
        const QString file = parser.value(fileOption);
        const int descriptor = ::open(nativePath(file).constData(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            *problem = shownPath(file) + QStringLiteral(": ") + Error::describe(errno);
            return std::nullopt;
        }
        input.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    } else if (!input.open(stdin, QIODevice::ReadOnly)) {
        *problem = QStringLiteral("standard input: ") + input.errorString();
        return std::nullopt;
    }
    // One byte over the bound tells a long input from one of exactly the bound.
    const QByteArray bytes = readAtMost(input, maxInputBytes + 1);
    if (bytes.size() > maxInputBytes) {
        *problem = QStringLiteral("The input is longer than %1 bytes, so nothing was saved.")
                       .arg(maxInputBytes);
        return std::nullopt;
    }
    const std::optional<QString> decoded = decodeUtf8(bytes);
    if (!decoded)
        *problem = QStringLiteral("The input is not UTF-8 text, so nothing was saved.");
    return decoded;
}

} // namespace palvorn
