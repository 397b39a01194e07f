#include "compare/CompareViewController.h"

#include "app/ToolWindow.h"
#include "support/InspectorFixture.h"
#include "ui_CompareViewController.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

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

namespace {

// What a file manager's drag carries, dropped on a widget through the real drag events.
bool dropOn(QWidget& target, QMimeData& data) {
    const QPointF centre = QRectF(target.rect()).center();
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

void pressEnter(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

} // namespace

TEST_F(CompareViewControllerTest, ItemsDroppedOrTypedAreChosenAndEnterCompares) {
    CompareViewController& view = compareWindow();
    const QString a = makeFile(u"a"_s);
    const QString b = makeFolder(u"b & c"_s);
    setRaw(a, "user.x", "1");
    setRaw(b, "user.y", "1");

    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(a)});
    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, one));
    EXPECT_EQ(view.ui().file2Textbox->text(), a);
    EXPECT_EQ(view.secondURL(), QUrl::fromLocalFile(a));
    EXPECT_FALSE(view.firstURL());

    // Two items fill both fields in the order dragged, wherever they land.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)});
    EXPECT_TRUE(dropOn(*view.ui().file2Textbox, two));
    EXPECT_EQ(view.ui().file1Textbox->text(), b);
    EXPECT_EQ(view.ui().file2Textbox->text(), a);

    // Anything but one or two local items is refused and changes nothing.
    QMimeData web, three;
    web.setUrls({QUrl(u"https://example.org/a"_s)});
    three.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(a), QUrl::fromLocalFile(a)});
    for (QMimeData* refused : {&web, &three})
        EXPECT_FALSE(dropOn(*view.ui().file1Textbox, *refused));
    EXPECT_EQ(view.ui().file1Textbox->text(), b);
    EXPECT_EQ(view.firstURL(), QUrl::fromLocalFile(b));

    pressEnter(*view.ui().file2Textbox);
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(),
              u"Comparing "_s + b + u" with "_s + a +
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
    const QString before = view.ui().outputTextbox->toPlainText();
    pressEnter(*view.ui().file1Textbox);
    EXPECT_EQ(view.ui().outputTextbox->toPlainText(), before);
    EXPECT_TRUE(alert.shown().isEmpty());
}
