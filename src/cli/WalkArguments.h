#pragma once

#include "core/model/FolderWalk.h"

#include <QCommandLineParser>
#include <QString>

namespace palvorn {

class InterruptStop;
class WalkProgress;

// The options of the verbs that walk a folder (crawl, strip): --one-file-system, --quiet and
// --threads; Ctrl-C stops the walk.
class WalkArguments {
public:
    static void add(QCommandLineParser& parser);
    // Empty when the options are sound, otherwise what is wrong with them.
    static QString check(const QCommandLineParser& parser);
    static FolderWalk::Options options(const QCommandLineParser& parser, WalkProgress& progress,
                                       const InterruptStop& interrupt);
    static bool showsProgress(const QCommandLineParser& parser);
};

} // namespace palvorn
