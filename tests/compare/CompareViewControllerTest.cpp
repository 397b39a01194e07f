#include "compare/CompareViewController.h"

#include "support/ToolWindowFixture.h"
#include "ui_CompareViewController.h"

#include <QDir>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// The comparison is the core's (tested there); here the items reach it and its text the pane.
class CompareViewControllerTest : public ToolWindowFixture {
protected:
    CompareViewController& view = tool<CompareViewController>(delegate.openCompare());
    QString output() const { return view.ui().outputTextbox->toPlainText(); }
};

} // namespace

TEST_F(CompareViewControllerTest, ChoosesBothItemsAndReportsTheirDifferences) {
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Compare"_s);
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.x", "2");

    view.ui().compareButton->click(); // nothing chosen yet: silently nothing
    openPanel.answerWith({QUrl::fromLocalFile(a)});
    view.ui().choose1Button->click();
    view.ui().compareButton->click(); // only one chosen
    EXPECT_EQ(output(), QString());
    openPanel.answerWith({QUrl::fromLocalFile(b)});
    view.ui().choose2Button->click();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(openPanel.requests().front().asSheet && options.canChooseFiles &&
                options.canChooseDirectories && options.showsHiddenFiles &&
                options.treatsPackagesAsDirectories && !options.allowsMultipleSelection);
    EXPECT_EQ(view.ui().file1Textbox->text(), a);
    EXPECT_EQ(view.ui().file2Textbox->text(), b);

    view.ui().compareButton->click();
    const QString report = u"Comparing "_s + a + u" with "_s + b + u" :\nuser.x are different\n"_s;
    EXPECT_EQ(output(), report);
    view.ui().compareButton->click(); // a second compare replaces the first report
    EXPECT_EQ(output(), report);
    EXPECT_TRUE(alert.shown().isEmpty());

    // An item gone since it was chosen: the header stays and the error is shown.
    QFile::remove(a);
    view.ui().compareButton->click();
    EXPECT_EQ(output(), u"Comparing "_s + a + u" with "_s + b + u" :\n"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"compare error: No such file or directory (\u201c"_s + a +
                                         u"\u201d)"_s});

    // Each menu choice makes a window of its own.
    delegate.openCompare();
    EXPECT_EQ(delegate.myCompare().size(), 2);
}

TEST_F(CompareViewControllerTest, ItemsDroppedOrTypedAreChosenAndEnterCompares) {
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b & c"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.y", "1");

    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, {QUrl::fromLocalFile(a)}));
    EXPECT_EQ(view.ui().file2Textbox->text(), a);
    EXPECT_EQ(view.secondURL(), QUrl::fromLocalFile(a));
    EXPECT_FALSE(view.firstURL());

    // Two items fill both fields in the order dragged, wherever they land.
    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, {QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)}));
    EXPECT_EQ(view.ui().file1Textbox->text(), b);
    EXPECT_EQ(view.ui().file2Textbox->text(), a);

    // Anything but one or two local items is refused and changes nothing.
    const QUrl local = QUrl::fromLocalFile(a);
    for (const QList<QUrl>& refused :
         {QList<QUrl>{QUrl(u"https://example.org/a"_s)}, QList<QUrl>{local, local, local}})
        EXPECT_FALSE(dropOn(*view.ui().file1Textbox, refused));
    EXPECT_EQ(view.firstURL(), QUrl::fromLocalFile(b));

    pressEnter(*view.ui().file2Textbox);
    EXPECT_EQ(output(), u"Comparing "_s + b + u" with "_s + a +
                            u" :\nuser.y is not in second file\nuser.x is not in first file\n"_s);

    // A typed path is read as typed; "~" is the home folder. Emptied, nothing is chosen.
    view.ui().file1Textbox->clear();
    view.ui().file1Textbox->insert(a); // as typing does: textEdited
    EXPECT_EQ(view.firstURL(), QUrl::fromLocalFile(a));
    view.ui().file1Textbox->selectAll();
    view.ui().file1Textbox->insert(u"~"_s);
    EXPECT_EQ(view.firstURL(), QUrl::fromLocalFile(QDir::homePath()));
    view.ui().file1Textbox->selectAll();
    view.ui().file1Textbox->del();
    EXPECT_FALSE(view.firstURL());
    const QString before = output();
    pressEnter(*view.ui().file1Textbox);
    EXPECT_EQ(output(), before);
    EXPECT_TRUE(alert.shown().isEmpty());
}
