#include "cli/QuarantineCommand.h"

#include "cli/StderrErrorAlert.h"
#include "core/inspector/AttributeCommands.h"
#include "core/inspector/Quarantine.h"

namespace palvorn {

QString QuarantineCommand::description() const {
    return QStringLiteral("Stamps PATH with a quarantine attribute and its event row.");
}

void QuarantineCommand::addArguments(QCommandLineParser& parser) const {
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file or folder."));
}

QString QuarantineCommand::checkArguments(const QCommandLineParser& parser) const {
    return parser.positionalArguments().size() == 1 ? QString()
                                                    : QStringLiteral("expects exactly one PATH");
}

int QuarantineCommand::execute(const QCommandLineParser& parser, QTextStream&, QTextStream& err) {
    const QString path = parser.positionalArguments().constFirst();
    StderrErrorAlert alert(err);
    const Quarantine quarantine;
    const Quarantine::Stamp stamp = quarantine.makeStamp();
    const QList<Error> failures = AttributeCommands::writeRecord(
        path, ResourceItem(Quarantine::attributeName(), stamp.value));
    if (!failures.isEmpty()) {
        alert.showFailure(failures.constFirst());
        return Failure;
    }
    const Result<QString> event = quarantine.recordEvent(stamp, path);
    if (!event) {
        alert.showErrorAlert(event.error().text());
        return Failure;
    }
    // The stamp is written; where the system keeps no event database that is all there is.
    if (!event->isEmpty())
        StderrErrorAlert::writeLine(err, *event);
    return Success;
}

} // namespace palvorn
