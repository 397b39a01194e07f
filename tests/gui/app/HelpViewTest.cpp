#include "gui/app/HelpView.h"

#include "core/app/AppResources.h"
#include "core/app/BuildSettings.h"
#include "gui/app/PrivacyView.h"
#include "gui/tools/ToolWindow.h"
#include "support/XattrFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPdfView>
#include <QPdfWriter>
#include <QPointer>
#include <QSaveFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using HelpViewTest = XattrFixture;

// Nothing is read before the window is shown; each showing reads the manual afresh. One that
// cannot be read leaves the window blank and silent.
TEST_F(HelpViewTest, EveryShowingReadsTheManualAfreshScaledToFit) {
    std::optional<QString> manual;
    const auto manualPath = [&manual] { return manual; };
    // A manual of the given number of pages, each naming its number. It replaces an earlier one
    // as a build does, so a document still open on the old file keeps reading the old file.
    const auto writeManual = [this](int pages) {
        QSaveFile file(pathOf(u"palvornHelp.pdf"_s));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QPdfWriter writer(&file);
        QPainter painter(&writer);
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                writer.newPage();
            painter.drawText(QPointF(100, 100), u"Page %1"_s.arg(page));
        }
        painter.end();
        EXPECT_TRUE(file.commit());
        return file.fileName();
    };
    manual = writeManual(1);
    EXPECT_EQ(HelpView(manualPath).pdfDocument(), nullptr);
    manual = makeFile(u"broken.pdf"_s, "No PDF.\n");
    auto& help = *new HelpView(manualPath);
    ToolWindow window(&help); // as the application opens it
    window.show();
    const auto showAgain = [&](std::optional<QString> path) {
        manual = std::move(path);
        window.hide();
        window.show();
    };
    for (const std::optional<QString>& unreadable : {manual, std::optional<QString>()}) {
        showAgain(unreadable);
        EXPECT_EQ(help.pdfDocument(), nullptr);
        EXPECT_EQ(help.helpPDFView()->document(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // no message
    }

    showAgain(writeManual(1));
    EXPECT_EQ(window.windowTitle(), u"palvorn Help"_s);
    const QPointer<QPdfDocument> first = help.pdfDocument();
    ASSERT_TRUE(first);
    EXPECT_EQ(help.helpPDFView()->zoomMode(), QPdfView::ZoomMode::FitInView);

    showAgain(writeManual(3));
    QPdfDocument* second = help.pdfDocument();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getAllText(2).text().trimmed(), u"Page 3"_s);
    EXPECT_EQ(help.helpPDFView()->document(), second);
    EXPECT_TRUE(first.isNull()) << "the earlier document is released";

    // A manual gone since: nothing is asked of the view, which keeps what it shows.
    showAgain(std::nullopt);
    EXPECT_EQ(help.pdfDocument(), second);
    EXPECT_EQ(help.helpPDFView()->document(), second);
}

TEST(BuiltManual, LiesBesideTheExecutableWhereTheHelpWindowLooks) {
    const std::optional<QString> found = AppResources::pathForResource(
        u"palvornHelp"_s, u"pdf"_s, AppResources::searchFolders(QStringLiteral(PALVORN_APP_DIR)));
    ASSERT_EQ(found, QStringLiteral(PALVORN_MANUAL_PDF));

    QPdfDocument document(nullptr);
    ASSERT_EQ(document.load(*found), QPdfDocument::Error::None);
    EXPECT_GE(document.pageCount(), 3);
    // Text, not blank pages: the typesetting found a font.
    EXPECT_TRUE(document.getAllText(0).text().contains(u"palvorn"_s));
}

// The settings it names are the keys the application writes.
TEST(PrivacyView, NamesTheStoredSettingsAndWhetherThisBuildChecksForUpdates) {
    ToolWindow window(new PrivacyView);
    QString text;
    for (const QLabel* label : window.findChildren<QLabel*>())
        text += label->text();
    for (const QString& expected :
         {u"noUpdateCheck"_s, u"updateCheckInt"_s, u"dateLastUpdateCheck"_s, u"recentFiles"_s,
          u"~/.config/brackenfield/palvorn.conf"_s, u"12 hours"_s})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    EXPECT_EQ(text.contains(u"no update check"_s), !BuildSettings::updateCheck);
    EXPECT_EQ(text.contains(u"asks the publisher's web server"_s), BuildSettings::updateCheck);
}
