#pragma once

#include "core/model/NameFilter.h"
#include "core/model/XattrAccess.h"

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

namespace palvorn {

// One verb of palvorn-cli. Subclasses declare their arguments and do the work over the core;
// parsing, --help and usage errors are handled here once for all of them.
class Command {
public:
    // compare answers as cmp and diff do: Success when the same, Different, or Trouble.
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2, Different = 1, Trouble = 2 };

    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString description() const = 0;

    // arguments[0] is the command's own name, as QCommandLineParser expects a program name there.
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    // Flushes the output; false, with "palvorn-cli: write error: REASON", when it failed.
    static bool finishOutput(QTextStream& out, QTextStream& err);
    // "palvorn-cli VERSION\n", for --version of the program and of every verb.
    static QString versionText();

protected:
    virtual void addArguments(QCommandLineParser& parser) const = 0;
    // Called once the arguments parsed; returns a message for a usage error, or an empty text.
    virtual QString checkArguments(const QCommandLineParser& parser) const;
    // The arguments that name files or folders (by default the first positional one). None may
    // be empty: an empty "$DIR" in a script must not become the current folder.
    virtual QStringList pathArguments(const QCommandLineParser& parser) const;
    virtual int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) = 0;
    // The status when the output could not be written.
    virtual int outputFailureStatus() const { return Failure; }
    // The verbs on one item take -h, --no-dereference, as getfattr and setfattr do: the
    // attribute calls then act on a link itself. Their help is --help alone.
    virtual bool takesNoDereference() const { return false; }
    // Links::NoFollow where -h was given.
    static Links linksOf(const QCommandLineParser& parser);
    // -m/--match REGEX, the names a verb takes, as getfattr's -m; checkMatch gives the usage
    // problem of a pattern that does not compile, nameFilterOf the filter of one that does.
    static void addMatchOption(QCommandLineParser& parser);
    static QString checkMatch(const QCommandLineParser& parser);
    static NameFilter nameFilterOf(const QCommandLineParser& parser);
    // --json: the report as one JSON object (see JsonText) instead of its text.
    static void addJsonOption(QCommandLineParser& parser);
    static bool wantsJson(const QCommandLineParser& parser);
    // A line of JSON and its line feed, on standard output.
    static void writeJson(QTextStream& out, const QByteArray& json);

    // Writes a report of any size without the stream taking a whole second copy of it.
    static void writeReport(QTextStream& out, const QString& report);
    // An argument's bytes as the shell passed them (main keeps them in the text with ByteText).
    static QByteArray bytesOf(const QString& argument);
    static QList<QByteArray> bytesOf(const QStringList& arguments);
    // Attribute names (and flags and types) are typed as list shows them, escapes included
    // (typedName); paths are not, as the shell passes their bytes as they are.
    // checkNames gives the usage problem of the first name that does not parse; nameOf and namesOf
    // are for names that checkNames passed.
    static QString checkNames(const QStringList& arguments);
    // The help text of an argument that takes names: what it is, then how names are typed.
    static QString nameHelp(const QString& what);
    static QByteArray nameOf(const QString& argument);
    static QList<QByteArray> namesOf(const QStringList& arguments);
    // Whether the stream writes to a terminal.
    static bool isTerminal(const QTextStream& stream);
    // A path as reports print it: its text, with each byte that is not UTF-8 as \xHH.
    static QString shownPath(const QString& path);
};

} // namespace palvorn
