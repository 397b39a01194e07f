#include "gui/platform/QtSavePanel.h"

#include <QFileDialog>

namespace palvorn {

void QtSavePanel::begin(QWidget* parent, const Options& options, Completion completion) {
    auto* dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->selectFile(options.nameFieldStringValue);
    QStringList patterns;
    for (const QString& type : options.allowedFileTypes)
        patterns.append(QStringLiteral("*.") + type);
    if (!patterns.isEmpty()) {
        dialog->setNameFilter(QFileDialog::tr("Text (%1)").arg(patterns.join(u' ')));
        dialog->setDefaultSuffix(options.allowedFileTypes.constFirst());
    }
    dialog->setOption(QFileDialog::ShowDirsOnly, false);
    if (!options.canCreateDirectories)
        dialog->setOption(QFileDialog::ReadOnly);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        const QList<QUrl> urls = dialog->selectedUrls();
        completion(result == QDialog::Accepted && !urls.isEmpty() ? std::optional(urls.constFirst())
                                                                  : std::nullopt);
    });
    dialog->open();
}

} // namespace palvorn
