// Renders the windows for the README: palvorn-screenshots DEMO_FILE OUTPUT_FOLDER
// Run it under a real X server (scripts/screenshots uses Xvfb) so that the pictures show the
// desktop's own style and fonts.
#include "app/AppDelegate.h"
#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "inspector/ViewController.h"
#include "model/ResourceItem.h"
#include "platform/RecordingErrorAlert.h"
#include "platform/RecordingOpenPanel.h"
#include "platform/RecordingPasteboard.h"
#include "platform/RecordingSavePanel.h"
#include "ui_ViewController.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTableView>
#include <QTextStream>

using namespace palvorn;

namespace {

bool save(QWidget& window, const QString& path) {
    window.show();
    // grab() lays the window out and renders it itself; no event loop is needed.
    return window.grab().save(path);
}

// The row of the first binary property list, so the picture shows its XML.
int propertyListRow(const ViewController& view) {
    const QAbstractItemModel* model = view.ui().xattrTable->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString name = model->index(row, 0).data().toString();
        if (name.contains(QStringLiteral("kMDItemWhereFroms")))
            return row;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("palvorn"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: palvorn-screenshots DEMO_FILE OUTPUT_FOLDER\n";
        return 2;
    }
    const QString demo = QFileInfo(arguments.at(1)).absoluteFilePath();
    const QDir output(arguments.at(2));

    RecordingErrorAlert alert;
    RecordingOpenPanel openPanel;
    RecordingSavePanel savePanel;
    RecordingPasteboard pasteboard;
    AppDelegate delegate(Platform{alert, openPanel, savePanel, pasteboard});

    Document* document = delegate.openDocument(QUrl::fromLocalFile(demo));
    DocumentWindow* window = document->window();
    window->resize(900, 660);
    ViewController& view = window->viewController();
    view.ui().xattrTable->selectRow(propertyListRow(view));

    const bool saved = save(*window, output.filePath(QStringLiteral("inspector.png")));
    for (const QString& text : alert.shown())
        QTextStream(stderr) << "alert: " << text << '\n';
    return saved ? 0 : 1;
}
