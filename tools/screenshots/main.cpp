// Renders the windows for the README:
//   palvorn-screenshots DEMO_FILE DEMO_TREE OUTPUT_FOLDER
// Run it under a real X server (scripts/screenshots uses Xvfb) so that the pictures show the
// desktop's own style and fonts. The stripper really strips the demo tree.
#include "gui/app/AppDelegate.h"
#include "gui/app/HelpView.h"
#include "gui/compare/CompareView.h"
#include "gui/crawler/CrawlerView.h"
#include "gui/editor/EditorDialog.h"
#include "gui/inspector/Document.h"
#include "gui/inspector/DocumentWindow.h"
#include "gui/inspector/InspectorView.h"
#include "gui/platform/FileChooser.h"
#include "gui/stripper/StripperView.h"
#include "gui/tools/ToolWindow.h"
#include "gui/tools/WalkQueue.h"
#include "support/RecordingConfirmation.h"
#include "support/RecordingErrorAlert.h"
#include "support/RecordingOpenPanel.h"
#include "support/RecordingPasteboard.h"
#include "support/RecordingSavePanel.h"
#include "support/RecordingUpdateAlert.h"
#include "support/RecordingWorkspace.h"
#include "ui_CompareView.h"
#include "ui_CrawlerView.h"
#include "ui_StripperView.h"
#include "ui_InspectorView.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

using namespace palvorn;

namespace {

class Screenshots {
public:
    Screenshots(const QString& demoFile, const QString& demoTree, const QDir& output)
        : m_demoFile(demoFile), m_demoTree(demoTree), m_output(output) {}

    bool takeAll() {
        return inspectorAndEditor() && openDialog() && compare() && crawler() && stripper() &&
               help() && reportAlerts();
    }

private:
    bool save(QWidget& window, const QString& name) {
        window.show();
        // grab() lays the window out and renders it itself.
        const bool saved = window.grab().save(m_output.filePath(name));
        if (!saved)
            QTextStream(stderr) << "could not write " << name << '\n';
        return saved;
    }

    // The walks hand their texts back through queued calls: let them arrive.
    static void finishWalks(WalkQueue& queue) {
        queue.waitForDone(60000);
        QCoreApplication::sendPostedEvents();
    }

    template <typename Controller> Controller& tool(QMainWindow* window, QSize size) {
        window->resize(size);
        return *static_cast<ToolWindow*>(window)->contentController<Controller>();
    }

    bool inspectorAndEditor() {
        DocumentWindow* window = m_delegate.openDocument(QUrl::fromLocalFile(m_demoFile))->window();
        window->resize(900, 660);
        InspectorView& view = window->inspectorView();
        view.ui().xattrTable->selectRow(rowNamed(view, QStringLiteral("kMDItemWhereFroms")));
        if (!save(*window, QStringLiteral("inspector.png")))
            return false;
        view.ui().xattrTable->selectRow(rowNamed(view, QStringLiteral("xdg.comment")));
        view.ui().newXattrButton->click();
        EditorDialog* editor = view.editor();
        return editor && save(*editor, QStringLiteral("editor.png"));
    }

    // The dialog of File > Open, Inspect… and Compare's Choose…, on the demo tree.
    bool openDialog() {
        OpenPanel::Options options;
        options.canChooseDirectories = true;
        options.allowsMultipleSelection = true;
        FileChooser dialog(nullptr, options);
        dialog.setFolder(m_demoTree);
        dialog.resize(760, 440);
        // A folder selected in the list, as a click does: Open chooses it.
        for (int row = 0; row < dialog.list().model()->rowCount(); ++row) {
            const QModelIndex index = dialog.list().model()->index(row, 0);
            if (index.data().toString() == QStringLiteral("Downloads"))
                dialog.list().selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
        }
        return save(dialog, QStringLiteral("open.png"));
    }

    bool compare() {
        auto& view = tool<CompareView>(m_delegate.openCompare(), {760, 520});
        m_openPanel.answerWith({m_demoFile});
        view.ui().choose1Button->click();
        m_openPanel.answerWith({treeItem(QStringLiteral("Downloads/figures-2026.csv"))});
        view.ui().choose2Button->click();
        view.ui().compareButton->click();
        return save(*view.window(), QStringLiteral("compare.png"));
    }

    bool crawler() {
        auto& view = tool<CrawlerView>(m_delegate.openCrawler(), {860, 560});
        view.ui().folderText->setText(m_demoTree);
        view.ui().xattrTypeText->setText(QStringLiteral("com.apple.quarantine"));
        view.ui().startButton->click();
        finishWalks(view.processingQueue());
        return save(*view.window(), QStringLiteral("crawler.png"));
    }

    bool stripper() {
        auto& view = tool<StripperView>(m_delegate.openStripper(), {760, 420});
        view.ui().folderText->setText(m_demoTree);
        view.ui().xattrTypeText->setText(QStringLiteral("xdg.origin.url"));
        view.ui().startButton->click();
        finishWalks(view.processingQueue());
        return save(*view.window(), QStringLiteral("stripper.png"));
    }

    // The manual of this build tree, which lies beside palvorn rather than beside this tool.
    bool help() {
        ToolWindow manual(new HelpView(
            [] { return std::optional<QString>(QStringLiteral(PALVORN_MANUAL_PDF)); }));
        m_delegate.installMenus(manual);
        manual.resize(760, 720);
        manual.show();
        // The view renders its pages in the background.
        QEventLoop rendering;
        QTimer::singleShot(2000, &rendering, &QEventLoop::quit);
        rendering.exec();
        if (!save(manual, QStringLiteral("help.png")))
            return false;
        QMainWindow* window = m_delegate.openPrivacy();
        window->resize(640, 500);
        if (!save(*window, QStringLiteral("privacy.png")))
            return false;
        return save(*m_delegate.openAbout(), QStringLiteral("about.png"));
    }

    bool reportAlerts() const {
        for (const QString& text : m_alert.shown())
            QTextStream(stderr) << "alert: " << text << '\n';
        return m_alert.shown().isEmpty();
    }

    static int rowNamed(const InspectorView& view, const QString& part) {
        const QAbstractItemModel* model = view.ui().xattrTable->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString().contains(part))
                return row;
        }
        return 0;
    }

    QString treeItem(const QString& relative) const { return QDir(m_demoTree).filePath(relative); }

    QString m_demoFile;
    QString m_demoTree;
    QDir m_output;
    RecordingErrorAlert m_alert;
    RecordingOpenPanel m_openPanel;
    RecordingSavePanel m_savePanel;
    RecordingPasteboard m_pasteboard;
    RecordingUpdateAlert m_updateAlert;
    RecordingWorkspace m_workspace;
    // Answers the stripper's question with Yes, so that the shot shows a finished strip.
    RecordingConfirmation m_confirmation;
    AppDelegate m_delegate{Platform{m_alert, m_openPanel, m_savePanel, m_pasteboard, m_updateAlert,
                                    m_workspace, nullptr, &m_confirmation}};
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("palvorn"));
    // As the application names itself: the stripper's restore file lands where a user's would.
    QApplication::setOrganizationName(QStringLiteral("brackenfield"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4) {
        QTextStream(stderr) << "usage: palvorn-screenshots DEMO_FILE DEMO_TREE OUTPUT_FOLDER\n";
        return 2;
    }
    Screenshots screenshots(QFileInfo(arguments.at(1)).absoluteFilePath(),
                            QFileInfo(arguments.at(2)).absoluteFilePath(), QDir(arguments.at(3)));
    return screenshots.takeAll() ? 0 : 1;
}
