#include "compare/CompareViewController.h"

#include "support/ToolWindowFixture.h"
#include "ui_CompareViewController.h"

#include <QDir>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The comparison is the core's (tested there); here the items reach it and its text the pane.
class CompareViewControllerTest : public ToolWindowFixture {
protected:
    CompareViewController& view = tool<CompareViewController>(delegate.openCompare());
    QString output() const { return view.ui().outputTextbox->toPlainText(); }
};

// Items are chosen in the panel, dropped or typed; Compare and Enter report their differences.
TEST_F(CompareViewControllerTest, ChoosesDropsOrTypesTheItemsAndReportsTheirDifferences) {
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Compare"_s);
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b & c"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.x", "2");

    openPanel.answerWith({QUrl::fromLocalFile(a)});
    view.ui().choose1Button->click();
    view.ui().compareButton->click(); // only one chosen: silently nothing
    EXPECT_EQ(output(), QString());
    openPanel.answerWith({QUrl::fromLocalFile(b)});
    view.ui().choose2Button->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(openPanel.requests().front().asSheet && options.canChooseFiles &&
                options.canChooseDirectories && options.showsHiddenFiles &&
                options.treatsPackagesAsDirectories && !options.allowsMultipleSelection);
    view.ui().compareButton->click(); // the chosen paths are in their fields, or nothing is done
    EXPECT_EQ(output(), u"Comparing "_s + a + u" with "_s + b + u" :\nuser.x are different\n"_s);

    // Two items dropped fill both fields in the order dragged, wherever they land; one fills the
    // field it lands on. Anything but one or two local items is refused and changes nothing.
    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, {QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)}));
    EXPECT_EQ(view.ui().file1Textbox->text(), b);
    EXPECT_EQ(view.ui().file2Textbox->text(), a);
    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, {QUrl::fromLocalFile(b)}));
    EXPECT_EQ(view.ui().file2Textbox->text(), b);
    for (const QList<QUrl>& refused :
         {QList<QUrl>{QUrl(u"https://example.org/a"_s)}, QList<QUrl>(3, QUrl::fromLocalFile(a))})
        EXPECT_FALSE(dropOn(*view.ui().file1Textbox, refused));
    pressEnter(*view.ui().file2Textbox); // a second compare replaces the first report
    const QString same = u"Comparing "_s + b + u" with "_s + b + u" :\nuser.x are the same\n"_s;
    EXPECT_EQ(output(), same);

    // A typed path is read as typed; "~" is the home folder. Emptied, nothing is chosen.
    const std::pair<QString, std::optional<QUrl>> typed[] = {
        {a, QUrl::fromLocalFile(a)}, {u"~"_s, QUrl::fromLocalFile(QDir::homePath())}, {{}, {}}};
    for (const auto& [text, url] : typed) {
        view.ui().file1Textbox->selectAll();
        view.ui().file1Textbox->insert(text); // as typing does: textEdited
        EXPECT_EQ(view.firstURL(), url) << text.toStdString();
    }
    pressEnter(*view.ui().file1Textbox);
    EXPECT_EQ(output(), same);

    // An item gone since it was chosen: the header stays and the error is shown.
    view.ui().file1Textbox->insert(a);
    QFile::remove(a);
    view.ui().compareButton->click();
    EXPECT_EQ(output(), u"Comparing "_s + a + u" with "_s + b + u" :\n"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"compare error: No such file or directory (\u201c"_s + a +
                                         u"\u201d)"_s});
}
