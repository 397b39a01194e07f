#pragma once

#include "core/model/FolderWalk.h"

#include <optional>

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

namespace palvorn {

class InterruptStop;
class WalkProgress;

// The arguments of the verbs that walk a folder (crawl, strip): DIR, --one-file-system, --quiet
// and --threads; Ctrl-C stops the walk.
class WalkArguments {
public:
    static void addFolder(QCommandLineParser& parser);
    // DIR's path ("~" is home); none, with its error written to err, when it names no folder.
    static std::optional<QString> folder(const QString& argument, QTextStream& err);

    static void add(QCommandLineParser& parser);
    // Empty when the options are sound, otherwise what is wrong with them.
    static QString check(const QCommandLineParser& parser);
    static FolderWalk::Options options(const QCommandLineParser& parser, WalkProgress& progress,
                                       const InterruptStop& interrupt);
    static bool showsProgress(const QCommandLineParser& parser);
};

} // namespace palvorn
