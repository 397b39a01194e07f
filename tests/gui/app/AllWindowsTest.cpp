#include "gui/editor/EditorDialog.h"
#include "support/InspectorFixture.h"

#include <algorithm>
#include <functional>

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// Every window of the application, walked widget by widget: each control carries an accessible
// name and a tooltip, each button and each label of a control a mnemonic of its own, and each
// window fits a small screen.
namespace {

// Qt's own inner parts (a spin box's line edit, a table's corner button) are named by Qt.
QStringList unnamedControls(const QWidget& window) {
    const char* const kinds[] = {"QAbstractButton",   "QLineEdit",      "QComboBox",
                                 "QAbstractItemView", "QPlainTextEdit", "QTextEdit",
                                 "QAbstractSpinBox"};
    QStringList unnamed;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith("qt_"_L1) &&
            std::any_of(std::begin(kinds), std::end(kinds),
                        [widget](const char* kind) { return widget->inherits(kind); }) &&
            (widget->accessibleName().isEmpty() || widget->toolTip().isEmpty()))
            unnamed.append(name);
    }
    return unnamed;
}

// The buttons and labels without a mnemonic, and the mnemonics given twice in the window, its menu
// bar's included (Alt+F would then reach neither the File menu nor the field).
QStringList mnemonicFaults(const QWidget& window) {
    QStringList faults;
    QMap<QString, QString> taken;
    const auto take = [&](const QString& text, const QString& who) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (key.isEmpty())
            faults.append(who + u" has no mnemonic"_s);
        else if (taken.contains(key))
            faults.append(who + u" shares "_s + key + u" with "_s + taken.value(key));
        else
            taken.insert(key, who);
    };
    if (const auto* frame = qobject_cast<const QMainWindow*>(&window))
        for (const QAction* menu : frame->menuBar()->actions())
            take(menu->text(), menu->text());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            take(button->text(), button->objectName());
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy())
            take(label->text(), label->objectName());
    return faults;
}

// The window's least size fits the screen, and text that wraps is laid out whole both at the
// screen's width and at the window's least size.
bool fits(const QWidget& window, const QSize& screen) {
    const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
    if (least.width() > screen.width() || least.height() > screen.height())
        return false;
    const auto* frame = qobject_cast<const QMainWindow*>(&window);
    const QWidget* content = frame ? frame->centralWidget() : &window;
    const QLayout* layout = content->layout();
    if (!layout || !layout->hasHeightForWidth())
        return true;
    const int menuHeight = frame ? frame->menuBar()->sizeHint().height() : 0;
    const QSize leastContent = content->minimumSizeHint().expandedTo(content->minimumSize());
    return layout->totalHeightForWidth(screen.width()) <= screen.height() - menuHeight &&
           layout->totalHeightForWidth(leastContent.width()) <= leastContent.height();
}

class AllWindowsTest : public InspectorFixture {};

} // namespace

TEST_F(AllWindowsTest, EveryControlIsNamedAndEveryWindowFitsASmallScreen) {
    const QString file = makeFile(u"demo2.txt"_s);
    setRaw(file, "user.comment", "a comment");
    const std::pair<QString, std::function<QWidget*()>> windows[] = {
        {u"inspector"_s, [&] { return open(file).window(); }},
        {u"inspector with a row selected"_s,
         [&] {
             InspectorView& view = open(file);
             view.ui().xattrTable->selectRow(0);
             return view.window();
         }},
        {u"empty inspector"_s, [&] { return open({}).window(); }},
        {u"editor"_s,
         [&] {
             InspectorView& view = open(file);
             view.openEditor();
             return static_cast<QWidget*>(view.editor());
         }},
        {u"compare"_s, [&] { return delegate.openCompare(); }},
        {u"crawler"_s, [&] { return delegate.openCrawler(); }},
        {u"stripper"_s, [&] { return delegate.openStripper(); }},
        {u"help"_s, [&] { return delegate.openHelp(); }},
        {u"privacy"_s, [&] { return delegate.openPrivacy(); }},
        {u"about"_s, [&] { return delegate.openAbout(); }},
    };
    for (const auto& [name, openWindow] : windows) {
        SCOPED_TRACE(name.toStdString());
        QWidget* window = openWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(unnamedControls(*window), QStringList());
        EXPECT_EQ(mnemonicFaults(*window), QStringList());
        // 1024×700, and 700×450: a 1400×900 screen at a scale factor of 2.
        EXPECT_TRUE(fits(*window, {1024, 700}));
        EXPECT_TRUE(fits(*window, {700, 450}));
        // It also opens within the screen, whatever size it was laid out at.
        const QSize screen = window->screen()->availableGeometry().size();
        EXPECT_EQ(window->size().boundedTo(screen), window->size());
    }
}
