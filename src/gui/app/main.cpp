#include "core/model/ByteText.h"
#include "gui/app/AppDelegate.h"
#include "gui/platform/QtErrorAlert.h"
#include "gui/platform/QtOpenPanel.h"
#include "gui/platform/QtPasteboard.h"
#include "gui/platform/QtSavePanel.h"
#include "gui/platform/QtUpdateAlert.h"
#include "gui/platform/QtWorkspace.h"

#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>

using namespace palvorn;

namespace {

// Paths are bytes: each argument is kept whole (see ByteText), not decoded by QApplication.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(ByteText::decode(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and edits the extended attributes of files, one window per file."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Files or folders to inspect."),
                                 QStringLiteral("[FILE...]"));
    // Answered before any window system is needed, so that they work without a display.
    const QStringList arguments = argumentsOf(argc, argv);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "palvorn: %s\nTry 'palvorn --help'.\n",
                     qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                               QStringLiteral("palvorn"))));
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("palvorn %s\n", PALVORN_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("palvorn"));
    QApplication::setApplicationDisplayName(QStringLiteral("palvorn"));
    QApplication::setApplicationVersion(QStringLiteral(PALVORN_VERSION));
    // Settings live in ~/.config/brackenfield/palvorn.conf; the desktop matches windows to the
    // launcher entry by this name.
    QApplication::setOrganizationName(QStringLiteral("brackenfield"));
    QApplication::setOrganizationDomain(QStringLiteral("brackenfield.co"));
    QApplication::setDesktopFileName(QStringLiteral("co.brackenfield.palvorn"));
#ifdef __APPLE__
    // The menu bar stays when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
#endif

    QtErrorAlert alert;
    QtOpenPanel openPanel;
    QtSavePanel savePanel;
    QtPasteboard pasteboard;
    QtUpdateAlert updateAlert;
    QtWorkspace workspace;
    AppDelegate delegate(Platform{alert, openPanel, savePanel, pasteboard, updateAlert, workspace});
    if (parser.positionalArguments().isEmpty())
        delegate.newDocument();
    else
        delegate.openDocuments(parser.positionalArguments());
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
