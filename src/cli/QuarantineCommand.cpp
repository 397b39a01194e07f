#include "cli/QuarantineCommand.h"

#include "cli/StderrErrorAlert.h"
#include "inspector/AttributeCommands.h"
#include "inspector/Quarantine.h"

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
    const QList<AttributeFailure> failures = AttributeCommands::writeRecord(
        path, ResourceItem(Quarantine::attributeName(), stamp.value));
    if (!failures.isEmpty()) {
        alert.showFailure(failures.constFirst());
        return Failure;
    }
    if (const std::optional<QString> failure = quarantine.recordEvent(stamp, path))
        alert.showErrorAlert(*failure);
    return alert.anyShown() ? Failure : Success;
}

} // namespace palvorn
