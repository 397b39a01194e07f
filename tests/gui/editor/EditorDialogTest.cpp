#include "gui/editor/EditorDialog.h"

#include "core/editor/EditorConversion.h"
#include "core/model/ResourceList.h"
#include "support/InspectorFixture.h"
#include "ui_EditorDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QUndoStack>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class EditorDialogTest : public InspectorFixture {
protected:
    // Opens the editor from the inspector of file, on the row of name (or for a new attribute).
    EditorDialog& editorFor(const QString& file, const QString& name = {}) {
        InspectorView& view = open(file);
        m_view = &view;
        if (!name.isEmpty())
            view.ui().xattrTable->selectRow(rowOf(view, name));
        view.ui().newXattrButton->click();
        return *view.editor();
    }

    static void save(EditorDialog& editor, const QString& name, int format,
                     const QString& text) {
        editor.ui().nameTextbox->setText(name);
        editor.ui().formatPopup->setCurrentIndex(format);
        editor.ui().contentTextview->setPlainText(text);
        editor.ui().saveButton->click();
    }

    InspectorView* m_view = nullptr;
};

// Each record opens in the format of its type. Saving writes the text converted by the format
// chosen under the name given.
TEST_F(EditorDialogTest, OpensSwitchesFormatsSavesAndRefusesWhatCannotBeSaved) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.bytes", QByteArray("\x00\xff", 2));
    setRaw(file, "user.text", "some text value");
    const struct {
        QString name;
        int format;
        QString startOfContent;
    } cases[] = {
        {u"user.bytes"_s, 2, u"<00ff>"_s},
        {u"user.text"_s, 0, u"some text value"_s},
    };
    for (const auto& c : cases) {
        EditorDialog& editor = editorFor(file, c.name);
        EXPECT_EQ(editor.ui().nameTextbox->text(), c.name);
        EXPECT_EQ(editor.ui().formatPopup->currentIndex(), c.format);
        EXPECT_TRUE(editor.ui().contentTextview->toPlainText().startsWith(c.startOfContent));
        editor.ui().cancelButton->click();
    }
    EditorDialog& blank = editorFor(file);
    EXPECT_EQ(blank.ui().formatPopup->currentIndex(), 0);
    EXPECT_EQ(blank.ui().contentTextview->toPlainText(), QString());

    const struct {
        QString name;
        int format;
        QString text;
        QByteArray bytes;
    } saves[] = {
        {u"user.empty"_s, EditorConversion::PlainText, QString(), {}},
        {u"user.hex"_s, EditorConversion::HexText, u"<48 65 6c 6c 6f 20 77 6f 72 6c 64>"_s,
         "Hello world"},
    };
    for (const auto& c : saves) {
        EditorDialog& saving = editorFor(file, u"user.text"_s);
        save(saving, c.name, c.format, c.text);
        EXPECT_FALSE(saving.isVisible()) << c.name.toStdString();
        EXPECT_EQ(getRaw(file, c.name.toUtf8()), c.bytes) << c.name.toStdString();
        EXPECT_TRUE(hasRaw(file, c.name.toUtf8())) << c.name.toStdString();
    }

    // A text that does not convert, or a value the file refuses: the editor stays open with
    // everything the user typed, and nothing is written, wiped or replaced.
    EditorDialog& refusing = editorFor(file, u"user.text"_s);
    const QStringList shown = namesShown(*m_view);
    save(refusing, u"user.text"_s, EditorConversion::PropertyList, u"{ not = a list"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"The text is not a property list, so nothing was saved "
                                         "(attribute \u201cuser.text\u201d of \u201c"_s +
                                         file + u"\u201d)."_s});
    EXPECT_TRUE(refusing.isVisible());
    EXPECT_EQ(refusing.ui().contentTextview->toPlainText(), u"{ not = a list"_s);

    alert.clear();
    setRaw(file, "user.behind", "x"); // would appear on a reload
    const QString longName = u"user."_s + QString(300, u'n');
    save(refusing, longName, EditorConversion::PlainText, u"typed with care"_s);
    EXPECT_TRUE(alert.shown().value(0).startsWith(u"setxattr error: "_s));
    EXPECT_TRUE(refusing.isVisible());
    EXPECT_EQ(refusing.ui().nameTextbox->text(), longName);
    EXPECT_EQ(refusing.ui().contentTextview->toPlainText(), u"typed with care"_s);
    EXPECT_EQ(namesShown(*m_view), shown);
    EXPECT_FALSE(m_view->undoStack().canUndo());

    // Mended, it is saved and the editor closes; renaming adds the new name, never removes.
    save(refusing, u"user.mended"_s, EditorConversion::PlainText, u"typed with care"_s);
    EXPECT_FALSE(refusing.isVisible());
    EXPECT_EQ(getRaw(file, "user.mended"), "typed with care");
    EXPECT_EQ(getRaw(file, "user.text"), "some text value");

    // Renamed onto another attribute: refused, that attribute keeps its value.
    EditorDialog& renaming = editorFor(file, u"user.mended"_s);
    save(renaming, u"user.behind"_s, EditorConversion::PlainText, u"would replace"_s);
    EXPECT_TRUE(renaming.isVisible());
    EXPECT_EQ(getRaw(file, "user.behind"), "x");
}

// The editor works on its own copy, by keys alone: Enter on the row opens it, the format follows
// the arrow keys and converts the text typed, Tab leaves the value (Ctrl+Tab types a tab), and
// Escape leaves the inspector's record, its pane and the file as they were. A text that does not
// convert is given up only when the user agrees.
TEST_F(EditorDialogTest, AFormatChangeConvertsTheTextAndCancelChangesNothing) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.text", "one two three");
    InspectorView& view = open(file);
    view.window()->show();
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    EXPECT_TRUE(view.ui().xattrTable->hasFocus());
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Down); // one row, none selected: selects it
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{0});
    const QString pane = view.ui().outputTextcontent->toPlainText();
    QTest::keyClick(view.ui().xattrTable, Qt::Key_Return);
    EditorDialog* editor = view.editor();
    ASSERT_NE(editor, nullptr);
    QApplication::setActiveWindow(editor); // the offscreen platform leaves the window behind
    QTest::keyClick(editor, Qt::Key_F, Qt::AltModifier); // to the format
    QComboBox* format = editor->ui().formatPopup;
    ASSERT_TRUE(format->hasFocus());
    const auto choose = [&](Qt::Key key) {
        QTest::keyClick(format, key);
        return editor->ui().contentTextview->toPlainText();
    };
    const QString hex = u"<6f6e6520 74776f20 74687265 65>"_s;
    EXPECT_EQ(choose(Qt::Key_Down), u"one two three"_s); // Property list: not one, shown as it is
    EXPECT_EQ(choose(Qt::Key_Down), hex);
    EXPECT_EQ(choose(Qt::Key_Up), u"one two three"_s);
    EXPECT_EQ(choose(Qt::Key_Up), u"one two three"_s); // Plain text again: the same bytes

    // Typed text is converted, not thrown away.
    QPlainTextEdit* value = editor->ui().contentTextview;
    value->setFocus();
    QTest::keyClick(value, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(value, u" c"_s);
    format->setFocus();
    const QString typedHex = u"<6f6e6520 74776f20 74687265 652063>"_s;
    EXPECT_EQ(choose(Qt::Key_End), typedHex); // Not supported: hex
    value->setFocus();
    QTest::keyClick(value, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(value, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(value->hasFocus());
    EXPECT_EQ(value->toPlainText(), typedHex + u'\t');
    QTest::keyClick(value, Qt::Key_Tab);
    EXPECT_FALSE(value->hasFocus());
    format->setFocus();
    confirmation.answerWith(false); // a tab is no hex digit: kept unless the user agrees
    EXPECT_EQ(choose(Qt::Key_Home), typedHex + u'\t');
    EXPECT_EQ(format->currentIndex(), EditorConversion::NotSupported);
    EXPECT_EQ(confirmation.questions(),
              QStringList{u"The text cannot be read as Not supported: \u201c>\u201d is not a "
                          "hexadecimal digit. Show the value as Plain text instead, discarding the "
                          "changes to the text?"_s});
    confirmation.answerWith(true);
    EXPECT_EQ(choose(Qt::Key_Home), u"one two three c"_s); // as last converted
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.editor() == nullptr; }));
    EXPECT_EQ(view.attributes()->children().constFirst()->type(), ResourceItem::TextType);
    EXPECT_EQ(view.ui().outputTextcontent->toPlainText(), pane);
    EXPECT_EQ(view.savedReportText(),
              QString::fromUtf8(runTool(QStringLiteral(PALVORN_CLI_PATH), {u"show"_s, file})));
    EXPECT_EQ(getRaw(file, "user.text"), "one two three");

    // Edit > Edit Attribute… opens it on the row; a new attribute's text is converted too, and
    // Alt+S saves it.
    QApplication::setActiveWindow(view.window());
    menuItem(view, u"&Edit Attribute…"_s)->trigger();
    ASSERT_NE(view.editor(), nullptr);
    EXPECT_EQ(view.editor()->ui().nameTextbox->text(), u"user.text"_s);
    view.editor()->reject();
    view.ui().xattrTable->clearSelection();
    EXPECT_FALSE(menuItem(view, u"&Edit Attribute…"_s)->isEnabled());
    view.ui().newXattrButton->click();
    editor = view.editor();
    editor->ui().nameTextbox->setText(u"user.new"_s);
    editor->ui().contentTextview->setPlainText(u"Hi"_s);
    editor->ui().formatPopup->setCurrentIndex(EditorConversion::HexText);
    Q_EMIT editor->ui().formatPopup->activated(EditorConversion::HexText);
    EXPECT_EQ(editor->ui().contentTextview->toPlainText(), u"<4869>"_s);
    QApplication::setActiveWindow(editor);
    const QPointer<EditorDialog> saving(editor);
    QTest::keyClick(editor, Qt::Key_S, Qt::AltModifier); // a button's key clicks it a moment later
    EXPECT_TRUE(QTest::qWaitFor([&saving] { return !saving || !saving->isVisible(); }));
    EXPECT_EQ(getRaw(file, "user.new"), "Hi");
}

// The real question, through the real message box: No keeps the text and its format.
TEST_F(EditorDialogTest, TheRealQuestionKeepsTheTextOnNo) {
    EditorDialog editor(alert, nullptr, pathOf(u"f"_s), {});
    editor.show();
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::HexText);
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::HexText);
    editor.ui().contentTextview->setPlainText(u"<4g>"_s);
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::PlainText);
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::PlainText);
    auto* box = editor.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().startsWith(u"The text cannot be read as Hex text: "_s));
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::No)->click();
    EXPECT_EQ(editor.ui().formatPopup->currentIndex(), EditorConversion::HexText);
    EXPECT_EQ(editor.ui().contentTextview->toPlainText(), u"<4g>"_s);
}

// The name box shows a name as the table does, escapes included, and reads them back: an unchanged
// name saves over the same bytes, a typed escape names its byte, and one that names nothing is
// refused before anything is written.
TEST_F(EditorDialogTest, TheNameBoxTakesBackTheEscapesItShows) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.esc\x1b\\b", "old value");
    EditorDialog& same = editorFor(file, u"user.esc\\x1b\\\\b"_s);
    EXPECT_EQ(same.ui().nameTextbox->text(), u"user.esc\\x1b\\\\b"_s);
    save(same, same.ui().nameTextbox->text(), EditorConversion::PlainText, u"new value"_s);
    EXPECT_EQ(attributesOf(file), (Attributes{{"user.esc\x1b\\b", "new value"}}));

    EditorDialog& renaming = editorFor(file, u"user.esc\\x1b\\\\b"_s);
    save(renaming, u"user.bad\\q"_s, EditorConversion::PlainText, u"kept"_s);
    EXPECT_EQ(alert.shown(),
              QStringList{u"\u201c\\q\u201d in a name: a backslash is typed as \\\\, a byte as "
                          "\\xHH (\u201c"_s +
                          file + u"\u201d)"_s});
    EXPECT_TRUE(renaming.isVisible());
    save(renaming, u"user.\\x07bell\\\\"_s, EditorConversion::PlainText, u"kept"_s);
    EXPECT_FALSE(renaming.isVisible());
    EXPECT_EQ(attributesOf(file), (Attributes{{"user.esc\x1b\\b", "new value"},
                                              {"user.\x07"
                                               "bell\\",
                                               "kept"}}));
}

// An access control list opens in its own format with getfacl's text, and a text edited there is
// saved as the list it stands for; one that stands for none is refused and the list stays.
TEST_F(EditorDialogTest, EditsAnAccessControlListAsGetfaclsText) {
    const QString file = makeFile(u"f"_s);
    runTool(u"setfacl"_s, {u"-m"_s, u"u:nobody:r--"_s, file});
    const QByteArray before = getRaw(file, "system.posix_acl_access");
    EditorDialog& editor = editorFor(file, u"system.posix_acl_access"_s);
    EXPECT_EQ(editor.ui().formatPopup->count(), 5);
    EXPECT_EQ(editor.ui().formatPopup->currentIndex(), EditorConversion::Structure);
    EXPECT_EQ(editor.ui().formatPopup->currentText(), u"Access control list"_s);
    const QString text = u"user::rw-\nuser:nobody:r--\ngroup::r--\nmask::r--\nother::r--\n"_s;
    EXPECT_EQ(editor.ui().contentTextview->toPlainText(), text);
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::HexText);
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::HexText);
    EXPECT_TRUE(editor.ui().contentTextview->toPlainText().startsWith(u"<02000000 01000600"_s));
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::Structure);
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::Structure);
    EXPECT_EQ(editor.ui().contentTextview->toPlainText(), text);

    save(editor, u"system.posix_acl_access"_s, EditorConversion::Structure,
         u"u::rw-,u:no-such-user-here:rw-,g::r--,o::r--"_s);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(alert.shown(),
              QStringList{u"Access control list: \u201cu:no-such-user-here:rw-\u201d names no "
                          u"user the system knows, so nothing was saved (attribute "
                          u"\u201csystem.posix_acl_access\u201d of \u201c"_s +
                          file + u"\u201d)."_s});
    EXPECT_EQ(getRaw(file, "system.posix_acl_access"), before);

    save(editor, u"system.posix_acl_access"_s, EditorConversion::Structure,
         text + u"user:daemon:rwx\n"_s);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(QString::fromUtf8(runTool(u"getfacl"_s, {u"--omit-header"_s, file})),
              u"user::rw-\nuser:daemon:rwx\t#effective:r--\nuser:nobody:r--\ngroup::r--\n"
              u"mask::r--\nother::r--\n\n"_s);
    // A new attribute is offered the four formats.
    EXPECT_EQ(editorFor(file).ui().formatPopup->count(), 4);
}
