#include "cli/DumpCommand.h"

#include "cli/RawOutput.h"
#include "cli/StderrErrorAlert.h"
#include "core/model/DumpWriter.h"

namespace palvorn {

namespace {

const QString recursiveOption = QStringLiteral("R");
const QString encodingOption = QStringLiteral("encoding");

} // namespace

QString DumpCommand::description() const {
    return QStringLiteral("Writes the attributes of each PATH in getfattr's dump form.");
}

void DumpCommand::addArguments(QCommandLineParser& parser) const {
    parser.addOption(
        {{recursiveOption, QStringLiteral("recursive")},
         QStringLiteral("Also everything below each folder; links are not followed.")});
    parser.addOption({encodingOption,
                      QStringLiteral("Values as text (drops one trailing NUL byte), hex or base64 "
                                     "(the default: lossless)."),
                      QStringLiteral("ENCODING"), QStringLiteral("base64")});
    addMatchOption(parser);
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Files or folders."),
                                 QStringLiteral("PATH..."));
}

QString DumpCommand::checkArguments(const QCommandLineParser& parser) const {
    if (parser.positionalArguments().isEmpty())
        return QStringLiteral("expects at least one PATH");
    if (!AttributeDump::encodingNamed(parser.value(encodingOption)))
        return QStringLiteral("unknown encoding '%1' (text, hex or base64)")
            .arg(parser.value(encodingOption));
    return checkMatch(parser);
}

QStringList DumpCommand::pathArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments();
}

int DumpCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    // Paths and names go out as the bytes they are, not through the text stream's encoding.
    RawOutput output(out);
    DumpWriter writer(
        output.device(), *AttributeDump::encodingNamed(parser.value(encodingOption)),
        [&err](const Error& problem) { StderrErrorAlert::writeLine(err, problem.lineText()); });
    writer.setNameFilter(nameFilterOf(parser));
    const bool recursive = parser.isSet(recursiveOption);
    for (const QByteArray& path : bytesOf(parser.positionalArguments())) {
        if (recursive)
            writer.dumpTree(path);
        else
            writer.dumpItem(path);
    }
    if (!output.finish(err))
        return Failure;
    return writer.anyProblem() ? Failure : Success;
}

} // namespace palvorn
