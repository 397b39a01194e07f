#include "editor/EditViewController.h"
#include "inspector/ViewController.h"
#include "model/AttributeName.h"
#include "support/InspectorFixture.h"
#include "ui_EditViewController.h"

#include <functional>
#include <sys/xattr.h>

#include <QFile>
#include <QUndoStack>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray badName("user.bad\xff");
const QString badShown = displayName(badName);
const QByteArray binary("\x00\xff\x00 binary", 10);

class ViewControllerUndoTest : public InspectorFixture {
protected:
    QString makeStartFile(const QString& name) {
        return makeFileWith(name, {{"user.a", binary},
                                   {"user.b#X", "flagged"},
                                   {"user.empty", ""},
                                   {badName, "not UTF-8 in its name"}});
    }
};

} // namespace

// Every command that changes attributes is undone to the exact bytes and names it found, and
// redone to what it left; the table follows each step.
TEST_F(ViewControllerUndoTest, EachCommandIsUndoneToTheExactBytesAndRedone) {
    QTemporaryDir home; // the quarantine's event row goes to a database that is not there
    const struct {
        const char* title;
        std::function<void(ViewController&)> run;
    } commands[] = {
        {"Save",
         [this](ViewController& view) {
             select(view, {u"user.a"_s});
             view.ui().newXattrButton->click();
             view.editor()->ui().contentTextview->setPlainText(u"<01020304 05>"_s);
             view.editor()->ui().saveButton->click();
         }},
        {"Remove",
         [this](ViewController& view) {
             select(view, {u"user.a"_s, u"user.empty"_s, badShown});
             view.ui().removeXattrButton->click();
         }},
        {"Paste",
         [this](ViewController& view) {
             pasteboard.writeRecords({ResourceItem(u"user.a"_s, "pasted").archive(),
                                      ResourceItem(u"user.new"_s, "new").archive()});
             view.ui().pasteXattrButton->click();
         }},
        {"Add flag",
         [this](ViewController& view) {
             select(view, {u"user.a"_s, badShown});
             view.ui().flagTextbox->setText(u"S"_s);
             view.ui().addFlagButton->click();
         }},
        {"Strip flags",
         [this](ViewController& view) {
             select(view, {u"user.b#X"_s});
             view.ui().stripFlagButton->click();
         }},
        {"Import",
         [this](ViewController& view) {
             // Lines for another file's block are written to the inspected file too.
             const QString dump = makeFile(u"import.dump"_s,
                                           "# file: /elsewhere\nuser.a=0sAP8A\nuser.new=\"new\"\n\n"
                                           "# file: /other\nuser.bad\\377=0x00\n\n");
             openPanel.answerWith({QUrl::fromLocalFile(dump)});
             menuItem(view, u"&Import Attributes…"_s)->trigger();
             EXPECT_EQ(alert.shown(), QStringList());
         }},
        {"Quarantine",
         [&home](ViewController& view) {
             view.quarantine().homePath = home.path();
             view.ui().addQuarButton->click();
         }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.title);
        const QString file = makeStartFile(QString::fromLatin1(command.title));
        const Attributes before = attributesOf(file);
        ViewController& view = open(file);
        command.run(view);
        const Attributes after = attributesOf(file);
        ASSERT_NE(after, before);
        ASSERT_EQ(view.undoStack().count(), 1);

        using Step = std::pair<void (ViewController::*)(), Attributes>;
        for (const auto& [step, expected] :
             {Step{&ViewController::undo, before}, Step{&ViewController::redo, after},
              Step{&ViewController::undo, before}}) {
            (view.*step)();
            EXPECT_EQ(attributesOf(file), expected);
            EXPECT_EQ(namesShown(view).size(), expected.size());
        }
        alert.clear();
    }
}

TEST_F(ViewControllerUndoTest, AnUndoThatWouldOverwriteALaterChangeIsRefused) {
    const QString file = makeStartFile(u"f"_s);
    ViewController& view = open(file);
    select(view, {u"user.a"_s});
    view.ui().removeXattrButton->click();
    setRaw(file, "user.a", "written since");

    view.undo();
    EXPECT_EQ(alert.shown(), QStringList{u"Can't undo Remove: the value has changed since "
                                         "(attribute \u201cuser.a\u201d of \u201c"_s +
                                         file + u"\u201d)"_s});
    EXPECT_EQ(getRaw(file, "user.a"), "written since");
    // Someone else put the old value back: still a change made since, and a refused step never
    // runs the command again.
    setRaw(file, "user.a", binary);
    view.undo();
    EXPECT_EQ(alert.shown().size(), 2);
    EXPECT_EQ(getRaw(file, "user.a"), binary);

    // Still the next step to undo, once the file allows it.
    EXPECT_TRUE(view.undoStack().canUndo());
    ::removexattr(QFile::encodeName(file).constData(), "user.a");
    view.undo();
    EXPECT_EQ(getRaw(file, "user.a"), binary);
    EXPECT_FALSE(view.undoStack().canUndo());
}
