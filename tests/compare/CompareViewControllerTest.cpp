#include "compare/CompareViewController.h"

#include "app/ToolWindow.h"
#include "support/InspectorFixture.h"
#include "ui_CompareViewController.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class CompareViewControllerTest : public InspectorFixture {
protected:
    CompareViewController& compareWindow() {
        QMainWindow* window = delegate.openCompare();
        return *static_cast<ToolWindow*>(window)->contentController<CompareViewController>();
    }
};

} // namespace

TEST_F(CompareViewControllerTest, ChoosesBothItemsAndReportsTheirDifferences) {
    CompareViewController& view = compareWindow();
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Compare"_s);
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.x", "2");

    view.ui().compareButton->click(); // nothing chosen yet: silently nothing
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(), QString());

    openPanel.answerWith({QUrl::fromLocalFile(a)});
    view.ui().choose1Button->click();
    view.ui().compareButton->click(); // only one chosen
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(), QString());
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
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(), report);
    view.ui().compareButton->click(); // a second compare replaces the first report
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(), report);
    EXPECT_TRUE(alert.shown().isEmpty());

    // An item gone since it was chosen: the header stays and the error is shown.
    QFile::remove(a);
    view.ui().compareButton->click();
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(),
              u"Comparing "_s + a + u" with "_s + b + u" :\n"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"compare error: No such file or directory (\u201c"_s + a +
                                         u"\u201d)"_s});

    // Each menu choice makes a window of its own.
    delegate.openCompare();
    EXPECT_EQ(delegate.myCompare().size(), 2);
}
