#include "core/model/AttributeName.h"
#include "gui/editor/EditorDialog.h"
#include "gui/inspector/InspectorView.h"
#include "support/InspectorFixture.h"
#include "support/QuarantineDatabase.h"
#include "ui_EditorDialog.h"

#include <functional>

#include <QUndoStack>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString badShown = displayName("user.bad\xff");

using InspectorViewUndoTest = InspectorFixture;

std::function<void(InspectorView&)> click(QPushButton* Ui::InspectorView::*button) {
    return [button](InspectorView& view) { (view.ui().*button)->click(); };
}

} // namespace

// Every command that changes attributes is undone to the exact bytes and names it found, and
// redone to what it left; the table follows each step.
TEST_F(InspectorViewUndoTest, EachCommandIsUndoneToTheExactBytesAndRedone) {
    QTemporaryDir home; // the quarantine's event row goes to a database of its own
    QuarantineDatabase(home.path()).create();
    // Lines for another file's block are written to the inspected file too.
    openPanel.answerWith(
        {makeFile(u"import.dump"_s, "# file: /elsewhere\nuser.a=0sAP8A\nuser.new=\"new\"\n\n"
                                    "# file: /other\nuser.bad\\377=0x00\n\n")});
    pasteboard.writeRecords({ResourceItem(u"user.a"_s, "pasted").archive(),
                             ResourceItem(u"user.new"_s, "new").archive()});
    const struct {
        const char* title;
        QStringList selected;
        std::function<void(InspectorView&)> run;
    } commands[] = {
        // Before the first Remove, whose cut takes the pasteboard.
        {"Paste", {}, click(&Ui::InspectorView::pasteXattrButton)},
        {"Save",
         {u"user.a"_s},
         [](InspectorView& view) {
             view.ui().newXattrButton->click();
             view.editor()->ui().contentTextview->setPlainText(u"<01020304 05>"_s);
             view.editor()->ui().saveButton->click();
         }},
        {"Remove",
         {u"user.a"_s, u"user.empty"_s, badShown},
         click(&Ui::InspectorView::removeXattrButton)},
        {"Add flag", {u"user.a"_s, badShown}, click(&Ui::InspectorView::addFlagButton)},
        {"Strip flags", {u"user.b#X"_s}, click(&Ui::InspectorView::stripFlagButton)},
        {"Import",
         {},
         [this](InspectorView& view) { menuItem(view, u"&Import Attributes…"_s)->trigger(); }},
        {"Quarantine", {}, click(&Ui::InspectorView::quarantineButton)},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.title);
        const QString file = makeFile(QString::fromLatin1(command.title));
        setRaw(file, "user.a", QByteArray("\x00\xff\x00 binary", 10));
        setRaw(file, "user.b#X", "flagged");
        setRaw(file, "user.empty", "");
        setRaw(file, "user.bad\xff", "not UTF-8 in its name");
        const Attributes before = attributesOf(file);
        InspectorView& view = open(file);
        view.quarantine().homePath = home.path();
        view.ui().flagTextbox->setText(u"S"_s);
        select(view, command.selected);
        command.run(view);
        EXPECT_EQ(alert.shown(), QStringList());
        const Attributes after = attributesOf(file);
        ASSERT_NE(after, before);
        ASSERT_EQ(view.undoStack().count(), 1);

        for (const bool redo : {false, true, false}) {
            redo ? view.redo() : view.undo();
            EXPECT_EQ(attributesOf(file), redo ? after : before) << (redo ? "redo" : "undo");
            EXPECT_EQ(namesShown(view).size(), (redo ? after : before).size());
        }
    }
}
