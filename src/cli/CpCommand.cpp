#include "cli/CpCommand.h"

#include "cli/StderrErrorAlert.h"
#include "inspector/AttributeCommands.h"
#include "model/ResourceList.h"
#include "model/XattrAccess.h"

#include <QFileInfo>

namespace palvorn {

QString CpCommand::description() const {
    return QStringLiteral("Copies the attributes NAME... (default: all) of SRC to DST.");
}

void CpCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("SRC"), QStringLiteral("The file to copy from."));
    parser.addPositionalArgument(QStringLiteral("DST"), QStringLiteral("The file to copy to."));
    parser.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("The attributes to copy."),
                                 QStringLiteral("[NAME...]"));
}

QString CpCommand::checkArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().size() >= 2 ? QString()
                                                    : QStringLiteral("expects SRC and DST");
}

int CpCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QStringList arguments = parser.positionalArguments();
    StderrErrorAlert alert(err);
    const ResourceList source(QUrl::fromLocalFile(QFileInfo(arguments.at(0)).absoluteFilePath()),
                              alert);

    // The records travel through their archive form, exactly as they do on the pasteboard.
    QList<QByteArray> archives;
    const QStringList wanted = arguments.mid(2);
    if (wanted.isEmpty()) {
        for (const ResourceItemPtr& record : source.children())
            archives.append(record->archive());
    }
    for (const QString& name : wanted) {
        const auto found = std::find_if(source.children().cbegin(), source.children().cend(),
                                        [&](const ResourceItemPtr& record) {
                                            return systemAttributeName(record->name()) ==
                                                   systemAttributeName(name);
                                        });
        if (found == source.children().cend())
            alert.showErrorAlert(QStringLiteral("xattr not found"));
        else
            archives.append((*found)->archive());
    }
    for (const QString& failure : AttributeCommands::pasteArchives(arguments.at(1), archives))
        alert.showErrorAlert(failure);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
