#include "cli/StripCommand.h"

#include "cli/StderrErrorAlert.h"
#include "model/FolderText.h"
#include "stripper/StripWalk.h"

#include <QDir>

namespace palvorn {

QString StripCommand::description() const {
    return QStringLiteral("Removes every attribute TYPE from all items below DIR.");
}

void StripCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The folder (\"~\" is home)."));
    parser.addPositionalArgument(QStringLiteral("TYPE"), QStringLiteral("The attribute name."));
}

QString StripCommand::checkArguments(const QCommandLineParser& parser) const {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        return QStringLiteral("expects DIR and TYPE");
    return arguments.at(1).isEmpty() ? QStringLiteral("TYPE is empty") : QString();
}

int StripCommand::execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    const FolderText::Result folderText = FolderText::folderPath(arguments.at(0), QDir::homePath());
    if (!folderText.path) {
        alert.showErrorAlert(folderText.error);
        return Failure;
    }
    const QString& folder = *folderText.path;
    QString error;
    const std::optional<StripWalk::Result> result = StripWalk::run(
        folder, arguments.at(1), [&alert](const QString& text) { alert.showErrorAlert(text); },
        nullptr, &error);
    if (!result) {
        alert.showErrorAlert(error);
        return Failure;
    }
    out << StripWalk::report(*result);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
