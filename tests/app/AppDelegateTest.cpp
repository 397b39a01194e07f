#include "app/AppDelegate.h"

#include "inspector/Document.h"
#include "inspector/DocumentWindow.h"
#include "inspector/ViewController.h"
#include "platform/RecordingErrorAlert.h"
#include "platform/RecordingOpenPanel.h"
#include "platform/RecordingPasteboard.h"
#include "platform/RecordingSavePanel.h"
#include "support/XattrFixture.h"
#include "ui_ViewController.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

class AppDelegateTest : public XattrFixture {
protected:
    void TearDown() override {
        for (Document* document : delegate.documents())
            delete document->window();
    }

    RecordingErrorAlert alert;
    RecordingOpenPanel openPanel;
    RecordingSavePanel savePanel;
    RecordingPasteboard pasteboard;
    AppDelegate delegate{Platform{alert, openPanel, savePanel, pasteboard}};
};

QStringList titlesOf(const QList<Document*>& documents) {
    QStringList titles;
    for (const Document* document : documents)
        titles.append(document->window()->windowTitle());
    return titles;
}

} // namespace

TEST_F(AppDelegateTest, OneWindowPerFileAndFileOpenTakesFilesAndFolders) {
    delegate.openDocuments({makeFile(u"a.txt"_s), makeFile(u"b.txt"_s)});
    EXPECT_EQ(titlesOf(delegate.documents()), (QStringList{u"a.txt"_s, u"b.txt"_s}));

    openPanel.answerWith(
        {QUrl::fromLocalFile(makeFolder(u"folder"_s)), QUrl::fromLocalFile(makeFile(u"c"_s))});
    delegate.openFiles();
    const OpenPanel::Options& options = openPanel.requests().front().options;
    EXPECT_TRUE(options.canChooseFiles && options.canChooseDirectories &&
                options.allowsMultipleSelection);
    EXPECT_EQ(titlesOf(delegate.documents()),
              (QStringList{u"a.txt"_s, u"b.txt"_s, u"folder"_s, u"c"_s}));

    delegate.newDocument();
    EXPECT_EQ(titlesOf(delegate.documents()).last(), u"palvorn"_s);
}

TEST_F(AppDelegateTest, EveryWindowHasTheFileMenuAndClosingEndsItsDocument) {
    Document* document = delegate.openDocument(QUrl::fromLocalFile(makeFile(u"a"_s)));
    QStringList actions;
    for (QAction* menu : document->window()->menuBar()->actions())
        for (QAction* action : menu->menu()->actions())
            if (!action->isSeparator())
                actions.append(action->text());
    EXPECT_EQ(actions, (QStringList{u"&Open…"_s, u"&New Window"_s, u"&Close"_s, u"&Quit"_s,
                                    u"Cu&t"_s, u"&Copy"_s, u"&Paste"_s, u"&Compare…"_s,
                                    u"C&rawler…"_s, u"&Stripper…"_s}));

    document->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(delegate.documents().isEmpty());
}

TEST_F(AppDelegateTest, StoryboardMakesANewWindowEachTime) {
    const Storyboard& main = delegate.storyboard();
    EXPECT_EQ(main.name(), u"Main"_s);
    std::unique_ptr<QMainWindow> one(main.instantiateController(u"Document Window Controller"_s));
    std::unique_ptr<QMainWindow> two(main.instantiateController(u"Document Window Controller"_s));
    ASSERT_TRUE(one && two);
    EXPECT_NE(one.get(), two.get());
    EXPECT_EQ(main.instantiateController(u"No Such Controller"_s), nullptr);
}

TEST_F(AppDelegateTest, EditMenuActsOnTextInTextFieldsAndOnAttributesElsewhere) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "alpha");
    Document* document = delegate.openDocument(QUrl::fromLocalFile(file));
    DocumentWindow* window = document->window();
    ViewController& view = window->viewController();
    const auto trigger = [window](const QString& text) {
        for (QAction* menu : window->menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text() == text)
                    action->trigger();
    };
    window->activateWindow();
    QApplication::setActiveWindow(window);

    view.ui().xattrTable->selectRow(0);
    view.ui().xattrTable->setFocus();
    trigger(u"&Copy"_s);
    ASSERT_EQ(pasteboard.items().size(), 1);

    pasteboard.clear();
    view.ui().flagTextbox->setText(u"flag text"_s);
    view.ui().flagTextbox->selectAll();
    view.ui().flagTextbox->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view.ui().flagTextbox);
    trigger(u"&Copy"_s);
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"flag text"_s);
}
