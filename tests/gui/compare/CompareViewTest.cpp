#include "gui/compare/CompareView.h"

#include "support/ToolWindowFixture.h"
#include "ui_CompareView.h"

#include <QDir>
#include <QTest>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The comparison is the core's (tested there); here the items reach it and its text the pane.
class CompareViewTest : public ToolWindowFixture {
protected:
    CompareView& view = tool<CompareView>(delegate.openCompare());
    QString output() const { return view.ui().outputTextbox->toPlainText(); }
};

// Items are chosen in the panel, dropped or typed; Compare and Enter report their differences.
TEST_F(CompareViewTest, ChoosesDropsOrTypesTheItemsAndReportsTheirDifferences) {
    EXPECT_EQ(view.window()->windowTitle(), u"Xattr Compare"_s);
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b & c"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.x", "2");

    openPanel.answerWith({a});
    view.ui().choose1Button->click();
    view.ui().compareButton->click(); // only one chosen: the pane says so
    EXPECT_EQ(output(), u"There is no second item to compare: type its path, drop it on its field "
                        "or choose it."_s);
    openPanel.answerWith({b});
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

    // A typed path is read as typed; "~" is the home folder. Emptied, nothing is chosen, and a
    // compare says why instead of leaving the last report under other paths.
    const std::pair<QString, std::optional<QString>> typed[] = {
        {a, a}, {u"~"_s, QDir::homePath()}, {{}, {}}};
    for (const auto& [text, path] : typed) {
        view.ui().file1Textbox->selectAll();
        view.ui().file1Textbox->insert(text); // as typing does: textEdited
        EXPECT_EQ(view.firstPath(), path) << text.toStdString();
    }
    pressEnter(*view.ui().file1Textbox);
    EXPECT_EQ(output(), u"There is no first item to compare: type its path, drop it on its field "
                        "or choose it."_s);

    // An item gone since it was chosen: the header stays and the error is shown.
    view.ui().file1Textbox->insert(a);
    QFile::remove(a);
    view.ui().compareButton->click();
    EXPECT_EQ(output(), u"Comparing "_s + a + u" with "_s + b + u" :\n"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"compare error: No such file or directory (\u201c"_s + a +
                                         u"\u201d)"_s});
}

// By keys and menu items alone: the mnemonics reach the fields, Enter compares, a refused field
// replaces the report with why, and File > Save Report… (Ctrl+S) saves the pane as the other tool
// windows do, through an atomic save.
TEST_F(CompareViewTest, KeysCompareRefuseAndSaveTheReport) {
    const QString a = makeFile(u"a"_s);
    const QString b = makeFile(u"b"_s);
    setRaw(a, "user.x", "1");
    QMainWindow* window = delegate.myCompare().constFirst();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    ASSERT_TRUE(view.ui().file1Textbox->hasFocus());
    QTest::keyClicks(view.ui().file1Textbox, a);
    QTest::keyClick(window, Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(view.ui().file2Textbox->hasFocus());
    QTest::keyClicks(view.ui().file2Textbox, b);
    QTest::keyClick(view.ui().file2Textbox, Qt::Key_Return);
    const QString report = u"Comparing "_s + a + u" with "_s + b +
                           u" :\nThe number of xattrs is different.\nuser.x is not in second "
                           "file\n"_s;
    EXPECT_EQ(output(), report);

    const QString saved = pathOf(u"compare.txt"_s);
    savePanel.answerWith(QUrl::fromLocalFile(saved));
    QTest::keySequence(window, QKeySequence::Save);
    EXPECT_EQ(QString::fromUtf8(runTool(u"cat"_s, {saved})), report);
    EXPECT_EQ(savePanel.requests().constLast().allowedFileTypes,
              (QStringList{u"text"_s, u"txt"_s}));

    view.ui().file2Textbox->selectAll();
    QTest::keyClicks(view.ui().file2Textbox, u"~palvorn-no-such-user/x"_s);
    QTest::keyClick(view.ui().file2Textbox, Qt::Key_Return);
    EXPECT_EQ(output(), u"There is no user \u201cpalvorn-no-such-user\u201d, so "
                        "\u201c~palvorn-no-such-user\u201d names no folder."_s);
    EXPECT_TRUE(alert.shown().isEmpty());
}
