#include "cli/Command.h"

#include "core/model/AttributeName.h"
#include "core/model/ByteText.h"
#include "core/model/DisplayText.h"
#include "core/model/XattrAccess.h"

#include <algorithm>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileDevice>

namespace palvorn {

namespace {

const QString noDereferenceName = QStringLiteral("no-dereference");
const QString matchName = QStringLiteral("match");
const QString jsonName = QStringLiteral("json");

Parsed<NameFilter> parsedFilter(const QCommandLineParser& parser) {
    if (!parser.isSet(matchName))
        return {NameFilter(), {}};
    return NameFilter::fromPattern(ByteText::encode(parser.value(matchName)));
}

} // namespace

int Command::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption helpOption(
        takesNoDereference() ? QStringList{QStringLiteral("help")}
                             : QStringList{QStringLiteral("h"), QStringLiteral("help")},
        QStringLiteral("Shows this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Shows the version."));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    if (takesNoDereference())
        parser.addOption({{QStringLiteral("h"), noDereferenceName},
                          QStringLiteral("Acts on a symbolic link itself, not on the item it "
                                         "points to.")});
    addArguments(parser);

    QString problem;
    if (!parser.parse(arguments))
        problem = parser.errorText();
    else if (parser.isSet(helpOption)) {
        // The parser names the program by its path; the user knows it as "palvorn-cli VERB".
        const QString program = QCoreApplication::arguments().value(0);
        out << parser.helpText().replace(program, QStringLiteral("palvorn-cli ") + name());
        return finishOutput(out, err) ? Success : outputFailureStatus();
    } else if (parser.isSet(versionOption)) {
        out << versionText();
        return finishOutput(out, err) ? Success : outputFailureStatus();
    } else
        problem = checkArguments(parser);

    if (problem.isEmpty() && pathArguments(parser).contains(QString())) {
        err << "palvorn-cli: empty path\n";
        return UsageError;
    }
    if (!problem.isEmpty()) {
        // The parser quotes what was typed, which may be anything a script passed on.
        err << "palvorn-cli " << name() << ": " << DisplayText::value(problem) << "\n"
            << "Try 'palvorn-cli " << name() << " --help'.\n";
        return UsageError;
    }
    const int status = execute(parser, out, err);
    return finishOutput(out, err) ? status : outputFailureStatus();
}

QString Command::versionText() {
    return QStringLiteral("palvorn-cli ") + QCoreApplication::applicationVersion() + u'\n';
}

void Command::addMatchOption(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("m"), matchName},
                      QStringLiteral("Only the names that the POSIX extended regular expression "
                                     "matches, anywhere in the name unless anchored, as "
                                     "getfattr -m (\"-\": every name, the default)."),
                      QStringLiteral("REGEX")});
}

QString Command::checkMatch(const QCommandLineParser& parser) {
    const Parsed<NameFilter> filter = parsedFilter(parser);
    if (filter)
        return {};
    return QStringLiteral("invalid regular expression \"") + parser.value(matchName) +
           QStringLiteral("\": ") + filter.problem;
}

NameFilter Command::nameFilterOf(const QCommandLineParser& parser) {
    return parsedFilter(parser).value.value_or(NameFilter());
}

void Command::addJsonOption(QCommandLineParser& parser) {
    parser.addOption({jsonName, QStringLiteral("Writes the report as JSON (see the manual page: "
                                               "palvorn-cli(1), JSON OUTPUT).")});
}

bool Command::wantsJson(const QCommandLineParser& parser) {
    return parser.isSet(jsonName);
}

void Command::writeJson(QTextStream& out, const QByteArray& json) {
    // The JSON is UTF-8 already: decoded once into the stream, which encodes it back.
    out << QString::fromUtf8(json) << '\n';
}

Links Command::linksOf(const QCommandLineParser& parser) {
    return parser.isSet(noDereferenceName) ? Links::NoFollow : Links::Follow;
}

bool Command::finishOutput(QTextStream& out, QTextStream& err) {
    // Output that did not reach its file (a full disk, a closed pipe) is a failure, whatever the
    // verb: a script must not take a cut report for a whole one.
    out.flush();
    if (out.status() == QTextStream::Ok)
        return true;
    const auto* file = qobject_cast<const QFileDevice*>(out.device());
    const QString reason = file && file->error() != QFileDevice::NoError
                               ? file->errorString()
                               : QStringLiteral("the output could not be written");
    err << "palvorn-cli: write error: " << reason << "\n";
    err.flush();
    return false;
}

QString Command::checkArguments(const QCommandLineParser&) const {
    return {};
}

QStringList Command::pathArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().mid(0, 1);
}

QByteArray Command::bytesOf(const QString& argument) {
    return ByteText::encode(argument);
}

QList<QByteArray> Command::bytesOf(const QStringList& arguments) {
    QList<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.append(bytesOf(argument));
    return bytes;
}

bool Command::isTerminal(const QTextStream& stream) {
    const auto* file = qobject_cast<const QFileDevice*>(stream.device());
    return file && file->handle() >= 0 && ::isatty(file->handle()) == 1;
}

QString Command::checkNames(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        const TypedName typed = typedName(argument);
        if (!typed.name)
            return typed.problem;
    }
    return {};
}

QString Command::nameHelp(const QString& what) {
    return what +
           QStringLiteral(" Typed as list shows names: \\\\ for a backslash, \\xHH for a byte.");
}

QByteArray Command::nameOf(const QString& argument) {
    return typedName(argument).name.value_or(QByteArray());
}

QList<QByteArray> Command::namesOf(const QStringList& arguments) {
    QList<QByteArray> names;
    for (const QString& argument : arguments)
        names.append(nameOf(argument));
    return names;
}

QString Command::shownPath(const QString& path) {
    return displayName(nativePath(path));
}

void Command::writeReport(QTextStream& out, const QString& report) {
    constexpr qsizetype chunk = 1 << 16;
    const QStringView text = report;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype length = std::min(chunk, text.size() - start);
        // A surrogate pair stays in one piece, so that each piece encodes on its own.
        if (start + length < text.size() && text.at(start + length - 1).isHighSurrogate())
            ++length;
        out << text.sliced(start, length);
        start += length;
    }
}

} // namespace palvorn
